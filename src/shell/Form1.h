// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Kavimo's one window: the board of 42 cards, the start button and the set browser,
// with the state that its handlers share. The handlers live beside the subsystem they
// belong to (src/sets, src/game); start-up, shutdown and the feedback services here.

#include "game/BoardGeometry.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

class QGroupBox;
class QLabel;
class QPushButton;

namespace kavimo {

class FileListBox;
class PictureBox;
class Platform;
class PreviewImage;
class SelectionFrame;

// The data folder: the application folder followed by "\Data". Set once by Form_Load.
extern QString DataDir;

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    // Controls, in their declared order.
    std::array<PictureBox*, board::kCards> Picture1{};  // the cards
    std::array<SelectionFrame*, board::kCards> Shape1{};  // their selection frames
    FileListBox* File1 = nullptr;                       // the set list, never shown
    QGroupBox* Frame1 = nullptr;                        // the set browser
    QPushButton* Command3 = nullptr;                    // ">>"
    QPushButton* Command2 = nullptr;                    // "<<"
    QLabel* Label1 = nullptr;                           // the set's title
    PreviewImage* Image1 = nullptr;                     // the set's preview
    QPushButton* Command1 = nullptr;                    // "スタート"

    // Fields, in their declared order.
    int16_t PairCount = 0;                                // pairs of the selected set
    QString StartDir;                                     // current directory at start
    std::array<int16_t, board::kCards> CardValue{};       // pair number of each card
    int16_t FirstPicked = 0;                              // -1: one card is marked
    std::array<std::optional<int16_t>, 2> Picked;         // first and second pick
    int16_t PairsFound = 0;                               // pairs removed this game

    // Handlers.
    void Command1_Click();                 // src/game/GameStart.cpp
    void Command2_Click();                 // src/sets/SetBrowser.cpp
    void Command3_Click();                 // src/sets/SetBrowser.cpp
    void File1_Click();                    // src/sets/SetBrowser.cpp
    void Form_Load();                      // src/shell/Startup.cpp
    void Form_Unload(int16_t& cancel);     // src/shell/Startup.cpp
    void Picture1_Click(int16_t index);    // src/game/Matching.cpp

    // The set that Form_Load chooses first, when this file is listed, instead of the first
    // one; the set maker starts the game so. Before Form_Load.
    void ChooseFirst(const QString& setFile) { firstSet_ = setFile; }

    // Procedures of the window (reachable by tests).
    void ResetBoard();                     // src/game/Board.cpp
    void Pause(int16_t seconds);
    void ShowError(int16_t code);
    // Plays DataDir + literal when that file exists, after a wait of leadIn seconds.
    void PlaySoundCue(const QString& literal, int16_t leadIn);

    // The selected set file: the list's folder, "\", the selected name.
    QString SetFilePath() const;
    // The folder that the selected set's entries are read from: the application folder for
    // the program's own sets, the user's set folder's parent for the user's.
    QString SetRoot() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void createControls();
    void setTabOrder();
    int16_t listed(const QString& setFile) const;  // src/shell/Startup.cpp

    Platform& platform_;
    QString firstSet_;
    // The set file that PairCount was read from, and its fs::fileVersion then.
    QString countedSetFile_;
    QByteArray countedSetVersion_;
    bool unloaded_ = false;
    bool painted_ = false;
};

}  // namespace kavimo
