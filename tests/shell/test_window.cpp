// The window as designed: title, size, controls, fonts, focus order, how cards and
// frames draw, and the hidden set list.
#include "shell/WindowFixture.h"

#include "shell/PreviewImage.h"

#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QApplication>
#include <QTest>

namespace kavimo::test {
namespace {

using Window = WindowTest;

TEST_F(Window, OpensAsDesignedWithTitleFixedSizeAndFieldsAtStart) {
    Form1& w = window();
    EXPECT_EQ(w.windowTitle(), "Kavimo");
    EXPECT_EQ(w.size(), QSize(538, 517));
    EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "the window must not be resizable";
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_FALSE(w.windowIcon().pixmap(32, 32).isNull());

    EXPECT_EQ(w.PairCount, 0);
    EXPECT_EQ(w.PairsFound, 0);
    EXPECT_EQ(w.FirstPicked, 0);
    EXPECT_FALSE(w.Picked[0].has_value());
    EXPECT_FALSE(w.Picked[1].has_value());
    EXPECT_TRUE(w.StartDir.isEmpty());
    for (int16_t v : w.CardValue) EXPECT_EQ(v, 0);
}

TEST_F(Window, ControlsStandWhereTheDesignPutsThemInPixels) {
    Form1& w = window();
    struct Row { const char* name; QWidget* control; QWidget* container; QRect pixels; };
    const Row rows[] = {
        {"File1", w.File1, &w, {16, 0, 161, 18}},
        {"Frame1", w.Frame1, &w, {200, 448, 337, 65}},
        {"Image1", w.Image1, w.Frame1, {16, 11, 49, 49}},
        {"Label1", w.Label1, w.Frame1, {72, 24, 161, 25}},
        {"Command2", w.Command2, w.Frame1, {240, 24, 41, 25}},
        {"Command3", w.Command3, w.Frame1, {288, 24, 41, 25}},
        {"Command1", w.Command1, &w, {40, 456, 129, 49}},
        // Design places of the cards: the small-card grid.
        {"Picture1(0)", w.Picture1[0], &w, {16, 24, 67, 67}},
        {"Picture1(6)", w.Picture1[6], &w, {420, 24, 67, 67}},
        {"Picture1(7)", w.Picture1[7], &w, {16, 91, 67, 67}},
        {"Picture1(41)", w.Picture1[41], &w, {420, 361, 67, 67}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.control->geometry(), r.pixels) << r.name;
        EXPECT_EQ(r.control->parentWidget(), r.container) << r.name;
    }
    for (int i = 0; i < board::kCards; ++i) {
        EXPECT_EQ(w.Shape1[i]->parentWidget(), w.Picture1[i]);
        EXPECT_EQ(w.Shape1[i]->placement(), QRect(1, 1, 97, 97)) << i;
        EXPECT_TRUE(w.Picture1[i]->isVisibleTo(&w));
        EXPECT_FALSE(w.Picture1[i]->isEnabled());
        EXPECT_TRUE(w.Picture1[i]->picture().isNull());
        EXPECT_FALSE(w.Shape1[i]->isVisibleTo(w.Picture1[i]));
    }
    EXPECT_FALSE(w.File1->isVisibleTo(&w));
}

TEST_F(Window, CaptionsAndTheirJapaneseFonts) {
    Form1& w = window();
    EXPECT_EQ(w.Command1->text(), "スタート");
    EXPECT_EQ(w.Command2->text(), "<<");
    EXPECT_EQ(w.Command3->text(), ">>");
    EXPECT_TRUE(w.Label1->text().isEmpty());
    EXPECT_TRUE(w.Frame1->title().isEmpty());
    EXPECT_TRUE(w.Image1->picture().isNull());
    for (QPushButton* b : {w.Command2, w.Command3}) {
        const QFontInfo info(b->font());
        EXPECT_EQ(info.family(), "IPAPGothic");
        EXPECT_TRUE(b->font().bold());
        EXPECT_DOUBLE_EQ(b->font().pointSizeF(), 14.25);
    }
    // The start button and the title are in the window's font, Japanese too.
    for (QWidget* c : {static_cast<QWidget*>(w.Command1), static_cast<QWidget*>(w.Label1)}) {
        EXPECT_EQ(QFontInfo(c->font()).family(), "IPAPGothic");
        EXPECT_FALSE(c->font().bold());
        EXPECT_DOUBLE_EQ(c->font().pointSizeF(), 9);
    }
}

TEST_F(Window, TabGoesThroughCardsStartBrowserButtonsThenTheSmallCards) {
    Form1& w = window();
    w.PairCount = 21;
    w.ResetBoard();
    for (PictureBox* card : w.Picture1) card->setEnabled(true);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.Picture1[0]->setFocus();
    std::vector<QWidget*> expected(w.Picture1.begin(), w.Picture1.begin() + 20);
    expected.insert(expected.end(), {w.Command1, w.Command2, w.Command3});
    expected.insert(expected.end(), w.Picture1.begin() + 20, w.Picture1.end());
    expected.push_back(w.Picture1[0]);
    for (size_t i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected[i]) << "tab number " << i;
    }
}

// What a person sees of cards, frames and the preview.
class Drawing : public WindowTest {
protected:
    QImage shot() {
        form->show();
        return form->grab().toImage();
    }
};

TEST_F(Drawing, ShownFrameIsRedInsideItsCardOnly) {
    Form1& w = window();
    w.PairCount = 10;
    w.ResetBoard();
    w.Shape1[0]->show();
    const QImage image = shot();
    const QRect card = w.Picture1[0]->geometry();
    const QRect inner = w.Picture1[0]->inner().translated(card.topLeft());
    const QPoint frameTopLeft = inner.topLeft() + QPoint(1, 1);
    // The outline, 10 pixels wide, from 1 pixel inside the inner corner.
    for (QPoint p : {frameTopLeft, frameTopLeft + QPoint(9, 9), frameTopLeft + QPoint(96, 50),
                     frameTopLeft + QPoint(50, 96)})
        EXPECT_EQ(image.pixel(p), 0xffff0000u) << p.x() << "," << p.y();
    // Transparent inside, nothing red outside the card, the next card unmarked.
    EXPECT_NE(image.pixel(frameTopLeft + QPoint(48, 48)), 0xffff0000u);
    EXPECT_NE(image.pixel(inner.topLeft()), 0xffff0000u);
    const QRect next = w.Picture1[1]->geometry();
    for (int y = next.top(); y <= next.bottom(); ++y)
        for (int x = next.left(); x <= next.right(); ++x) ASSERT_NE(image.pixel(x, y), 0xffff0000u);
}

TEST_F(Drawing, FrameLargerThanItsCardIsClippedByTheCard) {
    Form1& w = window();
    w.PairCount = 15;  // cards 20 to 29 stay small, their frames keep the large side
    w.ResetBoard();
    w.Shape1[27]->show();
    w.Shape1[27]->raise();
    const QImage image = shot();
    const QRect card = w.Picture1[27]->geometry();
    EXPECT_EQ(image.pixel(card.topLeft() + QPoint(3, 3)), 0xffff0000u);
    // Just beyond the card's right edge, inside what the 97-pixel frame would cover.
    EXPECT_NE(image.pixel(card.right() + 2, card.top() + 5), 0xffff0000u);
}

TEST_F(Drawing, CardShowsOnlyTheTopLeftOfALargePictureUnscaled) {
    Form1& w = window();
    w.PairCount = 10;
    w.ResetBoard();
    QImage picture(300, 300, QImage::Format_RGB32);
    picture.fill(0xff0000ff);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) picture.setPixel(x, y, 0xff00ff00);  // a green corner
    w.Picture1[0]->setPicture(picture);
    const QImage image = shot();
    const QRect inner = w.Picture1[0]->inner().translated(w.Picture1[0]->pos());
    EXPECT_EQ(image.pixel(inner.topLeft()), 0xff00ff00u);
    EXPECT_EQ(image.pixel(inner.topLeft() + QPoint(9, 9)), 0xff00ff00u);
    EXPECT_EQ(image.pixel(inner.topLeft() + QPoint(10, 10)), 0xff0000ffu);
    EXPECT_EQ(image.pixel(inner.bottomRight()), 0xff0000ffu);
    // Nothing of it beyond the card.
    EXPECT_NE(image.pixel(w.Picture1[0]->geometry().right() + 1, inner.center().y()), 0xff0000ffu);
}

TEST_F(Drawing, PreviewIsStretchedToItsBox) {
    Form1& w = window();
    QImage picture(4, 2, QImage::Format_RGB32);
    picture.fill(0xffffff00);
    picture.setPixel(0, 0, 0xff00ffff);
    w.Image1->setPicture(picture);
    const QImage image = shot();
    const QRect box(w.Image1->mapTo(&w, QPoint(0, 0)), w.Image1->size());
    EXPECT_EQ(image.pixel(box.bottomRight()), 0xffffff00u);
    EXPECT_EQ(image.pixel(box.topLeft()), 0xff00ffffu);
}

// The hidden set list.
class SetList : public ::testing::Test {
protected:
    SetList() : list(&parent) { list.onClick = [this] { ++clicks; clickedAt.push_back(list.listIndex()); }; }
    QWidget parent;
    FileListBox list;
    TempDir dir;
    int clicks = 0;
    std::vector<int16_t> clickedAt;
};

TEST_F(SetList, ListsMatchingRegularVisibleFilesCaseIgnoredAndSorted) {
    for (const char* name : {"zoo.dat", "Apple.DAT", "b.dat", ".hidden.dat", "notes.txt", "c.dat.bak"})
        dir.write(name, "x");
    dir.mkdir("folder.dat");
    list.setPath(dir.path());
    list.setPattern("*.dat");
    ASSERT_EQ(list.listCount(), 3);
    EXPECT_EQ(list.list(0), "Apple.DAT");
    EXPECT_EQ(list.list(1), "b.dat");
    EXPECT_EQ(list.list(2), "zoo.dat");
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(list.fileName(), "");
}

TEST_F(SetList, FolderWrittenWithBackslashesAndOtherCaseIsFound) {
    dir.write("Sets/one.dat", "x");
    list.setPath(dir.path() + "\\SETS");
    list.setPattern("*.dat");
    EXPECT_EQ(list.listCount(), 1);
}

TEST_F(SetList, MissingFolderListsNothing) {
    list.setPath(dir.path() + "/nowhere");
    list.setPattern("*.dat");
    EXPECT_EQ(list.listCount(), 0);
    list.setListIndex(0);
    EXPECT_EQ(list.listIndex(), -1);
    EXPECT_EQ(clicks, 0);
}

TEST_F(SetList, SelectingADifferentEntryRunsTheEventInsideTheSetterOncePerChange) {
    for (const char* name : {"a.dat", "b.dat"}) dir.write(name, "x");
    list.setPath(dir.path());
    list.setPattern("*.dat");
    list.setListIndex(0);
    EXPECT_EQ(clicks, 1);
    list.setListIndex(0);  // the same entry: no event
    EXPECT_EQ(clicks, 1);
    list.setListIndex(1);
    list.setListIndex(5);  // beyond the list: nothing
    list.setListIndex(0);
    EXPECT_EQ(clickedAt, (std::vector<int16_t>{0, 1, 0}));
    EXPECT_EQ(list.fileName(), "a.dat");
}

TEST_F(SetList, ChangingTheFolderDropsTheSelection) {
    dir.write("a.dat", "x");
    list.setPath(dir.path());
    list.setPattern("*.dat");
    list.setListIndex(0);
    list.setPath(dir.path());
    EXPECT_EQ(list.listIndex(), -1);
}

}  // namespace
}  // namespace kavimo::test
