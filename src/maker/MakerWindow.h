// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The set maker's window, for parents who never open a terminal: pictures in, the cards as
// the child will see them, where each square is cut, a sound per pair, the title, a live
// check, and saving. Decoding, speaking, checking and writing run off the user-interface
// thread; everything that goes wrong is said in the window.

#include <QImage>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "maker/SetMaker.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;

namespace kavimo {
class Platform;
}

namespace kavimo::maker {

class CutView;
class ElidedLabel;
class PairList;

class MakerWindow : public QWidget {
    Q_OBJECT
public:
    // Sounds are listened to through platform.
    explicit MakerWindow(Platform& platform, QWidget* parent = nullptr);
    ~MakerWindow() override;

    // Controls, in their declared order.
    QPushButton* newButton = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* openButton = nullptr;
    QLineEdit* titleEdit = nullptr;
    PairList* cards = nullptr;
    QLabel* gridLabel = nullptr;
    CutView* cutView = nullptr;
    QSlider* cutSlider = nullptr;
    QRadioButton* noSound = nullptr;
    QRadioButton* fileSound = nullptr;
    QRadioButton* spokenSound = nullptr;
    ElidedLabel* soundFileLabel = nullptr;
    QPushButton* chooseSoundButton = nullptr;
    QLineEdit* spokenEdit = nullptr;
    QPushButton* listenButton = nullptr;
    QPushButton* removeButton = nullptr;
    QListWidget* findingsList = nullptr;
    QLabel* messageLabel = nullptr;
    QProgressBar* busyBar = nullptr;
    QLabel* whereLabel = nullptr;
    QPushButton* saveInButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* playGameButton = nullptr;

    // Asks the parent a yes-or-no question (a message box; tests answer it themselves).
    std::function<bool(const QString& question)> confirm;

    // What the buttons, drops and dialogs do; each returns at once and finishes in the
    // background where it decodes, speaks or writes.
    void newSet();  // asks first when pairs would be lost; keeps the folder saved in
    void addPictures(const QStringList& given);  // pictures or folders of them
    void openSet(const QString& datPath);
    void chooseSoundFile(int pair, const QString& file);
    void chooseSpoken(int pair, const QString& text);
    void chooseNoSound(int pair);
    void setCut(int pair, QRect cut);
    void removePair(int pair);
    void setDataDir(const QString& dataDir);
    void save();
    void listen(int pair);
    void playGame();
    // A logout's SIGTERM, or Ctrl-C: the window closes without asking, once a save under way
    // has ended (given up, or finished when it was moving the set into place).
    void endAtSignal();

    // The set as it stands.
    SetPlan plan() const;
    int selectedPair() const;
    void selectPair(int pair);
    // Whether anything runs in the background or a check is due.
    bool busy() const;
    QString message() const;
    QString savedDat() const { return savedDat_; }

signals:
    // Background work has ended and the check is up to date.
    void settled();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Pair {
        PairPlan plan;
        QImage preview;  // the upright photo, scaled down for the screen
        QSize upright;
        int id = 0;
    };
    struct Loaded;

    void buildControls();
    void retranslate();
    void wire();

    // Background work: work runs on the thread pool, done on this thread afterwards.
    template <typename T>
    void inBackground(std::function<T()> work, std::function<void(T)> done);
    void workEnded();
    // planner runs in the background; an empty result and *error when there is nothing to load.
    void load(std::function<std::optional<SetPlan>(QString* error)> planner, bool replace);
    void loaded(const Loaded& result, bool replace);
    void scheduleCheck();
    bool replacesAnother(const SetPlan& plan) const;
    void runCheck();

    // Showing the set.
    void rebuildCards();
    void updateCard(int pair);
    void showSelected();
    void updateControls();
    void say(const QString& text);
    void takeListOrder();
    QRect cutOf(const Pair& pair) const;
    QString uniqueName(const QString& name) const;
    void speakInto(const QString& text, std::function<void(QString)> played);

    // Labels that only name their neighbours.
    QLabel* titleLabel_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    QGroupBox* soundBox_ = nullptr;

    Platform& platform_;
    std::vector<Pair> pairs_;
    int nextId_ = 1;
    QString dataDir_;
    QString picturesDir_;  // where "Add pictures…" opens: the folder pictures were last taken from
    bool titleEdited_ = false;
    // The set last opened or saved, and its file as it was then: saving it again under the
    // same title replaces it, unless another window or program has saved it since.
    struct OwnSet {
        QString title;
        QString dataDir;
        QByteArray file;
    };
    std::optional<OwnSet> own_;
    QString savedDat_;
    QString opening_;  // the set being opened
    int working_ = 0;
    int adding_ = 0;  // pictures being added, not yet pairs
    bool saving_ = false;
    bool closeWhenSaved_ = false;  // closing was asked for while saving
    bool ending_ = false;          // closing without a question
    bool asking_ = false;          // whether to close
    bool saveWhenSettled_ = false;  // saving was asked for while the set was being checked
    bool modified_ = false;  // since the last save or open
    // Whether the pairs may go unsaved: there are none, they are saved, or the parent says so.
    bool mayDiscard(const QString& question);
    bool checkDue_ = false;
    int checkGeneration_ = 0;
    int errors_ = 0;
    QTimer checkTimer_;
    QTimer busyDelay_;
    // The window's own work: Qt paints with the global pool's threads too, so a window that
    // filled them with photos to decode would wait for them at every paint.
    QThreadPool workers_;
    // Made when a name is first spoken, so that a window closed or killed without speaking
    // leaves no scratch folder behind.
    std::optional<QTemporaryDir> spoken_;
    int spokenCount_ = 0;
};

// The program with the window open, until it is closed: kavimo-set given nothing to do.
int runMakerWindow(int& argc, char** argv);

}  // namespace kavimo::maker
