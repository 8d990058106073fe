// The menu tree: "&Game", "&Options", "&Rules" and the "&Info" command.

#include <QMenuBar>

#include "app/form1.h"

namespace tarvo {

namespace {

QAction* Item(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    return a;
}

QMenu* TopMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(QLatin1String(name));
    return m;
}

}  // namespace

void Form1::BuildMenus() {
    QMenuBar* bar = menuBar();

    shuffle_cards = TopMenu(bar, "shuffle_cards", QStringLiteral("&Game"));
    Nuova = Item(shuffle_cards, "Nuova", QStringLiteral("shuffle cards"));
    Nuova->setShortcut(Qt::Key_F2);
    Exit = Item(shuffle_cards, "Exit", QStringLiteral("EXIT"));

    Option = TopMenu(bar, "Option", QStringLiteral("&Options"));
    Option_Card_rustle = Item(Option, "Option_Card_rustle", QStringLiteral("Card rustle"));
    Option_music = Item(Option, "Option_music", QStringLiteral("Music"));

    menu_rules = TopMenu(bar, "menu_rules", QStringLiteral("&Rules"));
    Menu_english = Item(menu_rules, "Menu_english", QStringLiteral("English"));
    Menu_italiano = Item(menu_rules, "Menu_italiano", QStringLiteral("Italiano"));

    Menu_about = bar->addAction(QStringLiteral("&Info"));
    Menu_about->setObjectName(QStringLiteral("Menu_about"));

    // An open menu takes the pointer: any gesture in progress is over.
    for (QMenu* m : {shuffle_cards, Option, menu_rules}) {
        connect(m, &QMenu::aboutToShow, this, [this] { GestureBrokenOff(); });
    }
    connect(shuffle_cards, &QMenu::aboutToShow, this, [this] { shuffle_cards_Click(); });
    connect(Option, &QMenu::aboutToShow, this, [this] { Option_Click(); });
    connect(Nuova, &QAction::triggered, this, [this] { Nuova_Click(); });
    connect(Exit, &QAction::triggered, this, [this] { Exit_Click(); });
    connect(Menu_english, &QAction::triggered, this, [this] { Menu_english_Click(); });
    connect(Menu_italiano, &QAction::triggered, this, [this] { Menu_italiano_Click(); });
    connect(Menu_about, &QAction::triggered, this, [this] { Menu_about_Click(); });

    // The handlers own the check marks; Qt would toggle them before telling us.
    for (QAction* a : {Option_Card_rustle, Option_music})
        a->setCheckable(true);
    connect(Option_Card_rustle, &QAction::triggered, this, [this](bool checked) {
        Option_Card_rustle->setChecked(!checked);
        Option_card_rustle_Click();
    });
    connect(Option_music, &QAction::triggered, this, [this](bool checked) {
        Option_music->setChecked(!checked);
        Option_music_Click();
    });
}

}  // namespace tarvo
