// The menu bar and the three text panels of the real window: the menu tree
// as the player sees it, which action shows or hides which panel, and the
// panels' texts, sizes, places and colour.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>

#include "form_harness.h"
#include "table/table_surface.h"
#include "ui/text_panel.h"

using namespace tarvo;
using namespace tarvo::testing;

namespace {

// The rules texts line by line, without their CR LF.
const char* const kEnglishLines[] = {
    "Tarvo is one of most diffuse solitaire in the world, often known with another name and some "
    "little variation.",
    "This version is the original one with neapolitans cards.",
    "The aim is to stack all the same suit playing cards in increasing order on each of four free "
    "places in playing field right edge.",
    "On starting, the game puts on 7 columns a number of random cards in number decreasing form 7 "
    "to 1, so making a Tarvo. The remaining cards are not showed and you can play them one a time. "
    "The cards you can play, that is you can move, are the last of each column. The allowed "
    "movements (as well as those for stacking the same suit playing cards) are of two kinds: "
    "toward just engaged places by other cards or toward vacant one. You can move any card on a "
    "vacant column. The line up in column is only allowed if one unit decreasing order is observed "
    "with \"short-long\" rule. ",
    "For example, you can only move down 4 Bastoni (long suit) a 3 Denari (short suit) or 3 Coppe "
    "(short suit).",
    "You can use the right mouse button to view semi-hidden cards and double click for positioning "
    "cards in their proper place.",
};
const char* const kItalianLines[] = {
    "I quattro pali sono Denari, Coppe (pali corti), Spade e Bastoni (pali lunghi).",
    "Lo scopo del gioco è quello di impilare, in ordine crescente, le prime sette carte di ogni "
    "palo in ognuno dei quattro posti liberi sulla destra del tavolo da gioco.",
    "Inizialmente il gioco dispone casualmente le carte su 7 colonne con un numero di carte "
    "decrescente da 7 a 1. Le rimanenti restano coperte e possono essere girate una per volta. ",
    "Le carte giocabili, e quindi spostabili, sono le ultime di ogni colonna e le carte coperte. "
    "Gli spostamenti possibili (oltre a quelli per impilare le carte dello stesso palo) sono di "
    "due tipi: in una colonna piena (già occupata da altre carte) o in una colonna vuota. "
    "Qualunque carta può essere spostata in una colonna vuota. ",
    "L'incolonnamento è consentito solo seguendo l'ordine decrescente di una unità con la regola "
    "\"corto-lungo\". Ad esempio sotto un quattro di Bastoni (quattro lungo) si potrà spostare un "
    "tre di denari o un tre di coppe (tre corto). E' possibile ",
    "usare il tasto destro del mouse per visualizzare carte parzialmente coperte e cliccare due "
    "volte per lo spostamento automatico delle carte nel posto giusto.",
};

QString Joined(const char* const* lines, int n) {
    QString text;
    for (int i = 0; i < n; ++i)
        text += QString::fromUtf8(lines[i]) + QStringLiteral("\r\n");
    return text;
}

// Which panels are shown: "2", "3", "4", "none" or a mix such as "24".
QString ShownPanels(Form1& f) {
    QString s;
    if (f.Text2->isVisible()) s += u'2';
    if (f.Text3->isVisible()) s += u'3';
    if (f.Text4->isVisible()) s += u'4';
    return s.isEmpty() ? QStringLiteral("none") : s;
}

// One row per menu widget, named after the widget.
void MenuRow(const char* name, const char* parent, const char* caption, bool checked,
             bool enabledAfterLoad, const QKeySequence& shortcut) {
    QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(parent)
                        << QString::fromLatin1(caption) << checked << enabledAfterLoad << shortcut;
}

// keys: who has the keyboard afterwards, "table" or the panel's name; empty
// when it does not matter (a menu item chosen by neither keys nor mouse).
void SequenceRow(const char* name, const char* steps, const char* shown, const char* keys = "") {
    QTest::newRow(name) << QString::fromLatin1(steps) << QString::fromLatin1(shown)
                        << QString::fromLatin1(keys);
}

}  // namespace

class MenusAndPanels : public QObject {
    Q_OBJECT

  private slots:
    void menuTree_data();
    void menuTree();
    void menuBarOrder();
    void shuffleCardsEnabledOnlyOnceTheGameHasStarted();
    void panelSequences_data();
    void panelSequences();
    void shownPanelIsInFrontOfTheCards_data();
    void shownPanelIsInFrontOfTheCards();
    void panelTexts_data();
    void panelTexts();
    void panelGeometryAndColour_data();
    void panelGeometryAndColour();
};

void MenusAndPanels::menuTree_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");  // empty: on the menu bar
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("enabledAfterLoad");
    QTest::addColumn<QKeySequence>("shortcut");

    const QKeySequence none;
    MenuRow("shuffle_cards", "", "&Game", false, true, none);
    MenuRow("Nuova", "shuffle_cards", "shuffle cards", false, false, QKeySequence(Qt::Key_F2));
    MenuRow("Exit", "shuffle_cards", "EXIT", false, true, none);
    MenuRow("Option", "", "&Options", false, true, none);
    MenuRow("Option_Card_rustle", "Option", "Card rustle", true, true, none);
    MenuRow("Option_music", "Option", "Music", true, true, none);
    MenuRow("menu_rules", "", "&Rules", false, true, none);
    MenuRow("Menu_english", "menu_rules", "English", false, true, none);
    MenuRow("Menu_italiano", "menu_rules", "Italiano", false, true, none);
    MenuRow("Menu_about", "", "&Info", false, true, none);
}

void MenusAndPanels::menuTree() {
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QString, caption);
    QFETCH(bool, checked);
    QFETCH(bool, enabledAfterLoad);
    QFETCH(QKeySequence, shortcut);

    FormHarness h;
    Form1& f = h.form();
    // A top-level menu is its QMenu's action on the bar; an item is an action in a menu.
    QAction* action = nullptr;
    if (auto* menu = f.findChild<QMenu*>(name)) {
        action = menu->menuAction();
    } else {
        action = f.findChild<QAction*>(name);
    }
    QVERIFY2(action, qPrintable(name));
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->isChecked(), checked);
    QCOMPARE(action->isCheckable(), checked);
    QCOMPARE(action->isEnabled(), enabledAfterLoad);
    QCOMPARE(action->shortcut(), shortcut);
    if (parent.isEmpty()) {
        QVERIFY(f.menuBar()->actions().contains(action));
    } else {
        auto* menu = f.findChild<QMenu*>(parent);
        QVERIFY(menu);
        QVERIFY(menu->actions().contains(action));
    }
}

void MenusAndPanels::menuBarOrder() {
    FormHarness h;
    QStringList captions;
    for (QAction* a : h.form().menuBar()->actions())
        captions << a->text();
    QCOMPARE(captions, (QStringList{"&Game", "&Options", "&Rules", "&Info"}));
    // "&Info" is a command on the bar, with no menu under it.
    QVERIFY(!h.form().Menu_about->menu());
    QCOMPARE(h.form().shuffle_cards->actions(), (QList<QAction*>{h.form().Nuova, h.form().Exit}));
}

void MenusAndPanels::shuffleCardsEnabledOnlyOnceTheGameHasStarted() {
    FormHarness h;
    QVERIFY(!h.form().Nuova->isEnabled());
    QVERIFY(h.ShowAndDeal());
    QVERIFY(h.form().Nuova->isEnabled());
    // F2 now deals again: the music start comes with every game start.
    const int plays = h.LogOf("music").count("Play");
    QTest::keyClick(h.form().windowHandle(), Qt::Key_F2);
    QCOMPARE(h.LogOf("music").count("Play"), plays + 1);
    QVERIFY(h.Dealt());
}

// Steps, separated by blanks:
//   english, italiano      choose the item under "&Rules"
//   info                   click "&Info" on the menu bar
//   alt+i                  its access key
//   escape                 the Escape key
//   game, options, rules   open that menu with its access key, then close it
//   text2, text3, text4    click on the panel's text
//   scroll2, scroll3       click on the panel's scroll bar
//   left, right, middle    press and release that button on the bare table
//   shift+left             the same with Shift held
//   stock                  click on the stock
//   music, rustle          choose the item under "&Options"
void MenusAndPanels::panelSequences_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("keys");

    SequenceRow("English shows the English rules", "english", "2");
    SequenceRow("English twice keeps them shown", "english english", "2");
    SequenceRow("Italiano shows the Italian rules", "italiano", "3");
    SequenceRow("Italiano over English", "english italiano", "3");
    SequenceRow("English over Italiano", "italiano english", "2");
    SequenceRow("Info shows the information", "info", "4");
    SequenceRow("Info twice hides it again", "info info", "none");
    SequenceRow("Info three times shows it", "info info info", "4");
    SequenceRow("Italiano over Info hides Info", "info italiano", "3");
    SequenceRow("English over Info hides Info", "info english", "2");
    SequenceRow("Info over English hides English", "english info", "4");
    SequenceRow("a click on the English text", "english text2", "none");
    SequenceRow("a click on the Italian text", "italiano text3", "none");
    SequenceRow("a click on the information text", "info text4", "none");
    SequenceRow("the English scroll bar", "english scroll2", "2");
    SequenceRow("the Italian scroll bar", "italiano scroll3", "3");
    SequenceRow("left press on the bare table", "english left", "none");
    SequenceRow("right press on the bare table", "info right", "none");
    SequenceRow("right press hides the Italian rules", "italiano right", "none");
    SequenceRow("middle press on the bare table", "english middle", "none");
    SequenceRow("Shift and left press on the bare table", "info shift+left", "none");
    SequenceRow("opening Game", "english game", "none");
    SequenceRow("opening Game over Info", "info game", "none");
    SequenceRow("opening Options", "italiano options", "none");
    SequenceRow("opening Rules hides nothing", "english rules", "2");
    SequenceRow("opening Rules keeps Info", "info rules", "4");
    SequenceRow("turning the stock keeps the panel", "english stock", "2");
    SequenceRow("Music hides the panels", "info music", "none");
    SequenceRow("Card rustle hides the panels", "english rustle", "none");
    // Opened with the mouse a panel looks as it always did: no caret, no
    // focus; opened from the keyboard it takes the keys until it goes.
    SequenceRow("Info clicked leaves the keys to the table", "info", "4", "table");
    SequenceRow("Info from its access key takes the keys", "alt+i", "4", "Text4");
    SequenceRow("Escape hides a panel with the keys", "alt+i escape", "none", "table");
    SequenceRow("a press hides it and the table has the keys", "alt+i left", "none", "table");
    SequenceRow("Escape on the table leaves a clicked panel", "info escape", "4", "table");
}

void MenusAndPanels::panelSequences() {
    QFETCH(QString, steps);
    QFETCH(QString, shown);
    QFETCH(QString, keys);

    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    Form1& f = h.form();
    QCOMPARE(ShownPanels(f), QStringLiteral("none"));
    QWindow* win = f.windowHandle();

    const auto openAndClose = [&](Qt::Key accessKey, QMenu* menu) {
        QTest::keyClick(win, accessKey, Qt::AltModifier);
        QVERIFY2(QTest::qWaitFor([menu] { return menu->isVisible(); }, 5000),
                 "the access key did not open the menu");
        menu->close();
        QTRY_VERIFY(!menu->isVisible());
        // Leave the menu bar's keyboard mode too.
        QTest::keyClick(win, Qt::Key_Escape);
    };
    const QPoint bare(300, 400);  // below every column of a fresh deal, right of the panels
    const QRect stock = f.Surface()->Mazzo();

    for (const QString& step : steps.split(u' ')) {
        if (step == "english") {
            f.Menu_english->trigger();
        } else if (step == "italiano") {
            f.Menu_italiano->trigger();
        } else if (step == "info") {
            const QRect r = f.menuBar()->actionGeometry(f.Menu_about);
            h.Click(f.menuBar(), r.center());
        } else if (step == "alt+i") {
            QTest::keyClick(win, Qt::Key_I, Qt::AltModifier);
        } else if (step == "escape") {
            QTest::keyClick(win, Qt::Key_Escape);
        } else if (step == "game") {
            openAndClose(Qt::Key_G, f.shuffle_cards);
        } else if (step == "options") {
            openAndClose(Qt::Key_O, f.Option);
        } else if (step == "rules") {
            openAndClose(Qt::Key_R, f.menu_rules);
        } else if (step.startsWith("text")) {
            TextPanel* panel = step == "text2" ? f.Text2 : step == "text3" ? f.Text3 : f.Text4;
            h.Click(panel->viewport(), panel->viewport()->rect().center());
        } else if (step.startsWith("scroll")) {
            TextPanel* panel = step == "scroll2" ? f.Text2 : f.Text3;
            QScrollBar* bar = panel->verticalScrollBar();
            QVERIFY(bar->isVisible());
            // Its arrow at the bottom scrolls down, where there is more to see.
            const int before = bar->value();
            h.Click(bar, QPoint(bar->width() / 2, bar->height() - 4));
            QCOMPARE(bar->value(), std::min(before + bar->singleStep(), bar->maximum()));
        } else if (step == "left" || step == "right" || step == "middle") {
            QCOMPARE(f.Surface()->childAt(bare), nullptr);
            h.Click(f.Surface(), bare,
                    step == "left"    ? Qt::LeftButton
                    : step == "right" ? Qt::RightButton
                                      : Qt::MiddleButton);
        } else if (step == "shift+left") {
            const QPoint at = h.OnWindow(f.Surface(), bare);
            QTest::mousePress(win, Qt::LeftButton, Qt::ShiftModifier, at);
            QTest::mouseRelease(win, Qt::LeftButton, Qt::ShiftModifier, at);
        } else if (step == "stock") {
            const int16_t before = f.table().StockNext;
            h.Click(f.Surface(), stock.center());
            QCOMPARE(f.table().StockNext, before + 1);
        } else if (step == "music") {
            f.Option_music->trigger();
        } else if (step == "rustle") {
            f.Option_Card_rustle->trigger();
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
    QCOMPARE(ShownPanels(f), shown);
    if (!keys.isEmpty()) {
        const QWidget* focus = QApplication::focusWidget();
        QCOMPARE(focus == &f ? QStringLiteral("table")
                 : focus     ? focus->objectName()
                             : "none",
                 keys);
    }
}

void MenusAndPanels::shownPanelIsInFrontOfTheCards_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QPoint>("at");  // a point of the table on a dealt card and on the panel
    QTest::newRow("English") << "english" << QPoint(10, 10);
    QTest::newRow("Italiano") << "italiano" << QPoint(200, 10);
    QTest::newRow("Info") << "info" << QPoint(140, 10);
}

void MenusAndPanels::shownPanelIsInFrontOfTheCards() {
    QFETCH(QString, item);
    QFETCH(QPoint, at);

    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    Form1& f = h.form();
    QWidget* card = f.Surface()->childAt(at);
    QVERIFY(dynamic_cast<CardWidget*>(card));
    TextPanel* panel = item == "english" ? f.Text2 : item == "italiano" ? f.Text3 : f.Text4;
    (item == "english"    ? f.Menu_english
     : item == "italiano" ? f.Menu_italiano
                          : f.Menu_about)
        ->trigger();
    QWidget* hit = f.Surface()->childAt(at);
    QVERIFY2(hit && panel->isAncestorOf(hit), qPrintable(hit ? hit->objectName() : "nothing"));
}

void MenusAndPanels::panelTexts_data() {
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("text");
    QTest::newRow("English rules") << "Text2" << Joined(kEnglishLines, 6);
    QTest::newRow("Italian rules") << "Text3" << Joined(kItalianLines, 6);
}

void MenusAndPanels::panelTexts() {
    QFETCH(QString, panel);
    QFETCH(QString, text);

    FormHarness h;
    auto* p = h.form().findChild<TextPanel*>(panel);
    QVERIFY(p);
    // Line by line first, for a readable failure; then the whole, CR LF and all.
    const QStringList want = text.split(QStringLiteral("\r\n"));
    const QStringList got = p->Text().split(QStringLiteral("\r\n"));
    QCOMPARE(got.size(), want.size());
    for (qsizetype i = 0; i < want.size(); ++i)
        QCOMPARE(got[i], want[i]);
    QCOMPARE(p->Text(), text);
    // What the panel shows is the same text, one paragraph per line.
    QCOMPARE(p->toPlainText(), QString(text).replace("\r\n", "\n"));
}

void MenusAndPanels::panelGeometryAndColour_data() {
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<bool>("scrollBar");
    QTest::addColumn<qreal>("points");  // 0: the default font
    QTest::newRow("English rules") << "Text2" << QRect(0, 0, 488, 321) << true << 9.6;
    QTest::newRow("Italian rules") << "Text3" << QRect(0, 0, 488, 321) << true << 9.6;
    QTest::newRow("information") << "Text4" << QRect(130, 0, 201, 81) << false << 0.0;
}

void MenusAndPanels::panelGeometryAndColour() {
    QFETCH(QString, panel);
    QFETCH(QRect, place);
    QFETCH(bool, scrollBar);
    QFETCH(qreal, points);

    FormHarness h;
    QVERIFY(h.ShowAndDeal());
    auto* p = h.form().findChild<TextPanel*>(panel);
    QVERIFY(p);
    QCOMPARE(p->parentWidget(), h.form().Surface());
    QCOMPARE(p->geometry(), place);
    QCOMPARE(p->verticalScrollBarPolicy(),
             scrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    QCOMPARE(p->palette().color(QPalette::Base), QColor(255, 255, 192));
    QCOMPARE(p->font().pointSizeF(), points > 0 ? points : QFont().pointSizeF());
    // The information text begins with the version line.
    if (panel == "Text4") QVERIFY(p->Text().startsWith("Tarvo solitaire ver 3.2\r\n"));
    if (panel == "Text4") QVERIFY(p->Text().endsWith("\r\n"));
    // Hidden until asked for; shown, its light yellow is what the player sees.
    QVERIFY(p->isHidden());
    (panel == "Text2"   ? h.form().Menu_english
     : panel == "Text3" ? h.form().Menu_italiano
                        : h.form().Menu_about)
        ->trigger();
    const QImage shot = p->viewport()->grab().toImage();
    QCOMPARE(QColor(shot.pixel(shot.width() - 3, shot.height() - 3)), QColor(255, 255, 192));
}

QTEST_MAIN(MenusAndPanels)
#include "menus_panels_test.moc"
