// The transfer type of a file (from the file-type table, or asked in the type question) and the
// sync confirmation, each through its real dialog.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTest>

#include "profiles/SelectTypeDlg.h"
#include "shell/CommonModule.h"
#include "sync/SyncListDlg.h"
#include "tests/shell/ShellTestFixture.h"

namespace {

using Answer = std::function<void(QDialog*)>;

void Key(QDialog* d, Qt::Key key) {
    QTest::keyClick(d, key);
}

class Dialogs : public shelltest::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        StartApp();
        w = MainWindow();
    }
    // The next question answered by act; what it showed is kept.
    void AnswerQuestion(Answer act) {
        fw::ModalHost::ExpectStep([this, act](const fw::ModalPrompt& p) {
            titles.push_back(p.title);
            return fw::ModalAnswer{fw::ModalAnswer::Action::Custom, {}, [this, act](QDialog* d) {
                                       SelectTypeDlg* q = fw::Window::FindOpen<SelectTypeDlg>();
                                       asciiAtStart.push_back(q && q->RadioButton1->Value());
                                       act(d);
                                   }};
        });
    }
    Window1* w = nullptr;
    std::vector<std::string> titles;
    std::vector<bool> asciiAtStart;
};

TEST_F(Dialogs, TheTableDecidesByTheExtensionWithoutRegardToCase) {
    struct Case {
        std::string name;
        std::string type;
    };
    for (const Case& c : std::vector<Case>{{"page.html", "A"},
                                           {"photo.jpg", "I"},
                                           {"archive.tar.gz", "I"},
                                           {"INDEX.HTML", "A"},
                                           {"style.Css", "A"}}) {
        EXPECT_EQ(w->ChkFileType(c.name), c.type) << c.name;
    }
    // The first of two entries for one extension decides.
    gFileTypes.insert(gFileTypes.begin(), {"JPG", "A"});
    EXPECT_EQ(w->ChkFileType("photo.jpg"), "A");
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

TEST_F(Dialogs, AnExtensionTheTableLacksIsAskedAboutForEachFile) {
    AnswerQuestion([](QDialog* d) { Key(d, Qt::Key_Return); });  // Ascii, as it opens
    AnswerQuestion([](QDialog* d) {
        for (auto* b : d->findChildren<QRadioButton*>())
            if (b->text() == "Binary") QTest::mouseClick(b, Qt::LeftButton);
        for (auto* b : d->findChildren<QAbstractButton*>())
            if (b->text() == "実行") QTest::mouseClick(b, Qt::LeftButton);
    });
    AnswerQuestion([](QDialog* d) { Key(d, Qt::Key_Escape); });
    AnswerQuestion([](QDialog* d) { d->close(); });  // the close box
    AnswerQuestion([](QDialog* d) {
        for (auto* b : d->findChildren<QAbstractButton*>())
            if (b->text() == "キャンセル") QTest::mouseClick(b, Qt::LeftButton);
    });
    EXPECT_EQ(w->ChkFileType("Makefile"), "A");
    EXPECT_EQ(w->ChkFileType("notes.dat"), "I");
    EXPECT_EQ(w->ChkFileType("notes.dat"), "C") << "the answer is not kept";
    EXPECT_EQ(w->ChkFileType("name."), "C");
    EXPECT_EQ(w->ChkFileType(".profile"), "C");
    EXPECT_EQ(titles, (std::vector<std::string>{"Makefile", "notes.dat", "notes.dat", "name.",
                                                ".profile"}));
    EXPECT_EQ(asciiAtStart, std::vector<bool>(5, true));
    EXPECT_EQ(fw::Window::FindOpen<SelectTypeDlg>(), nullptr) << "each question is closed";
    EXPECT_EQ(gFileTypes.size(), 19u);

    // An empty table asks about every file.
    gFileTypes.clear();
    AnswerQuestion([](QDialog* d) { Key(d, Qt::Key_Return); });
    EXPECT_EQ(w->ChkFileType("page.html"), "A");
    EXPECT_EQ(titles.back(), "page.html");
}

TEST_F(Dialogs, TheTypeQuestionIsLaidOutAsDesigned) {
    AnswerQuestion([](QDialog* d) {
        SelectTypeDlg* q = fw::Window::FindOpen<SelectTypeDlg>();
        ASSERT_NE(q, nullptr);
        EXPECT_EQ(q->Width(), 474);
        EXPECT_EQ(q->Height(), 144);
        EXPECT_EQ(q->StaticText1->Text(), "ファイルタイプが不明です。");
        EXPECT_EQ(q->StaticText2->Text(), "AsciiかBinaryを選択してください。");
        EXPECT_EQ(q->PushButton1->Caption(), "キャンセル");
        EXPECT_TRUE(q->PushButton1->Cancel());
        EXPECT_EQ(q->PushButton2->Caption(), "実行");
        EXPECT_TRUE(q->PushButton2->Default());
        EXPECT_TRUE(q->RadioButton1->Value());
        EXPECT_FALSE(q->RadioButton2->Value());
        // The caution icon is drawn in the canvas.
        const QImage shot = q->Canvas1->Widget()->grab().toImage();
        int coloured = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) coloured += qAlpha(shot.pixel(x, y)) > 0;
        EXPECT_GT(coloured, 64 * 64 / 8);
        Key(d, Qt::Key_Escape);
    });
    EXPECT_EQ(w->ChkFileType("x.unknown"), "C");
}

TEST_F(Dialogs, TheConfirmationShowsTheListAndAnswersByItsButtons) {
    SyncEntry entry;
    for (const char* path : {"/www/old/a.txt", "//a.txt", "/www/old"}) {
        entry.path = path;
        w->pSyncR.push_back(entry);
    }
    w->pSyncList = {2, 0, 1};
    fw::ModalHost::ExpectStep([](const fw::ModalPrompt& p) {
        EXPECT_EQ(p.title, "Untitled");
        return fw::ModalAnswer{fw::ModalAnswer::Action::Custom, {}, [](QDialog* d) {
                                   SyncListDlg* s = fw::Window::FindOpen<SyncListDlg>();
                                   ASSERT_NE(s, nullptr);
                                   EXPECT_EQ(s->Width(), 474);
                                   EXPECT_EQ(s->Height(), 310);
                                   EXPECT_EQ(s->StaticText1->Text(), "削除対象");
                                   ASSERT_EQ(s->Listbox1->ListCount(), 3);
                                   EXPECT_EQ(s->Listbox1->Cell(0, 0), "/www/old");
                                   EXPECT_EQ(s->Listbox1->Cell(1, 0), "/www/old/a.txt");
                                   EXPECT_EQ(s->Listbox1->Cell(2, 0), "//a.txt");
                                   Key(d, Qt::Key_Return);
                               }};
    });
    EXPECT_TRUE(w->ShowSyncDlg("remove"));
    EXPECT_EQ(fw::Window::FindOpen<SyncListDlg>(), nullptr) << "closed after each use";

    // An empty list is shown all the same; Escape declines.
    w->pSyncList.clear();
    fw::ModalHost::ExpectStep([](const fw::ModalPrompt&) {
        return fw::ModalAnswer{fw::ModalAnswer::Action::Custom, {}, [](QDialog* d) {
                                   SyncListDlg* s = fw::Window::FindOpen<SyncListDlg>();
                                   EXPECT_EQ(s->Listbox1->ListCount(), 0);
                                   EXPECT_EQ(s->StaticText1->Text(), "アップロード対象");
                                   Key(d, Qt::Key_Escape);
                               }};
    });
    EXPECT_FALSE(w->ShowSyncDlg("upload"));
}

}  // namespace
