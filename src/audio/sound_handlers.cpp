// The window's sound: the load and unload handlers, the music loop, the two
// switches, the victory tune and the card sound requests.

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>

#include "app/form1.h"
#include "ui/text_panel.h"

namespace tarvo {

namespace {

// Both load options as the devices want them: notifications on, positions in ms.
void OpenDevice(MciDevice& device, const QString& file) {
    device.Notify = true;
    device.TimeFormat = 0;
    device.Command("Close");
    device.FileName = file.toStdString();
    device.Command("Open");
}

// Left of the information panel: a fifth of the table's width, near its top-left.
constexpr int kInfoPanelLeftPx = static_cast<int>(0.21 * 620);

}  // namespace

void Form1::Form_Load() {
    Nuova->setEnabled(false);
    OpenDevice(MMCw(), ProgramFile("carta.wav"));
    Option_Card_rustle->setChecked(true);
    OpenDevice(MMC1(), ProgramFile("Music/7carte.mid"));
    sound_->PreloadTunes({ProgramFile("Music/7carte.mid").toStdString(),
                          ProgramFile("Music/borvio2.mid").toStdString()});
    Option_music->setChecked(true);
    Text2->move(0, 0);
    Text2->hide();
    Text3->move(0, 0);
    Text3->hide();
    Text4->move(kInfoPanelLeftPx, 0);
}

void Form1::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    MMC1().Command("close");
    MMCw().Command("close");
    // A title pause still waiting must not go on to deal on a closed window.
    if (pause_) pause_->quit();
    if (options_.endProgram) {
        options_.endProgram();
    } else {
        QCoreApplication::exit(0);
    }
}

void Form1::ReleaseSound() {
    if (MMCw().Position() == MMCw().Length()) MMCw().setFrom(0);
    if (Option_Card_rustle->isChecked()) MMCw().Command("Play");
}

void Form1::ClickSound() {
    if (!Option_Card_rustle->isChecked()) return;
    MMCw().Command("Play");
    MMCw().setFrom(0);
}

void Form1::MMC1_Done(int) {
    if (MMC1().Position() != MMC1().Length()) return;
    MMC1().setFrom(0);
    MMC1().Command("Play");
}

void Form1::MMC1_StopCompleted() {
    MMC1().setFrom(0);
}

void Form1::Option_music_Click() {
    HidePanels();
    if (Option_music->isChecked()) {
        Option_music->setChecked(false);
        MMC1().Command("pause");
    } else {
        MMC1().Command("play");
        Option_music->setChecked(true);
    }
}

void Form1::Option_card_rustle_Click() {
    HidePanels();
    Option_Card_rustle->setChecked(!Option_Card_rustle->isChecked());
}

void Form1::Finale() {
    if (!Option_music->isChecked()) return;
    MMC1().Command("Stop");
    MMC1().Command("Close");
    MMC1().FileName = ProgramFile("Music/borvio2.mid").toStdString();
    MMC1().Command("Open");
    MMC1().setFrom(0);
    MMC1().Command("Play");
}

}  // namespace tarvo
