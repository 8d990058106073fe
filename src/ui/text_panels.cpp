// The rules and information panels, and the handlers that show and hide them.

#include "app/form1.h"
#include "table/pointer_watcher.h"
#include "ui/panel_texts.h"
#include "ui/text_panel.h"

namespace tarvo {

namespace {

// 7320 by 4812 and 3012 by 1212 twips at 15 twips per pixel.
constexpr QSize kRulesPanelSizePx(488, 321);
constexpr QSize kInfoPanelSizePx(201, 81);

}  // namespace

void Form1::BuildPanels() {
    QWidget* table = centralWidget();
    Text2 = new TextPanel(QStringLiteral("Text2"), QStringLiteral("Rules"), EnglishRulesText(),
                          true, table);
    Text3 = new TextPanel(QStringLiteral("Text3"), QStringLiteral("Regole"), ItalianRulesText(),
                          true, table);
    Text4 = new TextPanel(QStringLiteral("Text4"), QStringLiteral("Information"), InformationText(),
                          false, table);
    QFont rulesFont;
    rulesFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")});
    rulesFont.setPointSizeF(9.6);
    for (TextPanel* t : {Text2, Text3}) {
        t->resize(kRulesPanelSizePx);
        t->setFont(rulesFont);
    }
    Text4->resize(kInfoPanelSizePx);
    Text2->onClick = [this] { Text2_Click(); };
    Text3->onClick = [this] { Text3_Click(); };
    Text4->onClick = [this] { Text4_Click(); };
}

bool Form1::PanelHasKeys() const {
    const QWidget* keys = focusWidget();
    return keys == Text2 || keys == Text3 || keys == Text4;
}

void Form1::PanelsChanged(bool hadKeys) {
    for (TextPanel* t : {Text2, Text3, Text4}) {
        if (t->isVisible() && (hadKeys || PointerWatcher::Instance().LastPressWasAKey())) {
            t->setFocus();
            return;
        }
    }
    if (hadKeys) setFocus();
}

void Form1::HidePanels() {
    const bool keys = PanelHasKeys();
    Text2->hide();
    Text3->hide();
    Text4->hide();
    PanelsChanged(keys);
}

void Form1::Menu_english_Click() {
    const bool keys = PanelHasKeys();
    Text3->hide();
    Text4->hide();
    Text2->raise();
    Text2->show();
    PanelsChanged(keys);
}

void Form1::Menu_italiano_Click() {
    const bool keys = PanelHasKeys();
    Text2->hide();
    Text3->show();
    Text4->hide();
    Text3->raise();
    PanelsChanged(keys);
}

void Form1::Menu_about_Click() {
    const bool keys = PanelHasKeys();
    Text2->hide();
    Text3->hide();
    if (Text4->isHidden()) {
        Text4->show();
        Text4->raise();
    } else {
        Text4->hide();
    }
    PanelsChanged(keys);
}

void Form1::Text2_Click() {
    HidePanels();
}
void Form1::Text3_Click() {
    HidePanels();
}
void Form1::Text4_Click() {
    HidePanels();
}
void Form1::Form_MouseDown() {
    HidePanels();
}
void Form1::Option_Click() {
    HidePanels();
}

}  // namespace tarvo
