// The partial-match search of the file list window: the prompt, the
// filtered listing, the caption, and the owner's handler.
#include "run_dialog.h"

#include <QLabel>
#include <QToolButton>

using fdtest::Folder;
using fdtest::run;
using fdtest::u;

namespace {

// Answers the search prompt with `text` (or cancels it when null).
void answerSearch(const char* text, QString* caption = nullptr, QString* prompt = nullptr,
                  QString* preset = nullptr)
{
    testing_support::onModal([=](QWidget* w) {
        auto* edit = w->findChild<QLineEdit*>(QStringLiteral("Edit"));
        if (caption)
            *caption = w->windowTitle();
        if (prompt)
            if (auto* l = w->findChild<QLabel*>(QStringLiteral("Prompt")))
                *prompt = l->text();
        if (preset && edit)
            *preset = edit->text();
        if (!text || !edit) {
            if (auto* b = w->findChild<QPushButton*>(QStringLiteral("Cancel")))
                b->click();
            else
                w->close();
            return;
        }
        edit->setText(u(text));
        w->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    });
}

}  // namespace

TEST(Search, PromptFiltersAndPrefixesTheCaption)
{
    Folder f{"data1.txt", "Data2.txt", "mydata.txt", "other.txt"};
    f.open.Options = {doFindBtn};
    run(f.open, [&](TListForm& w) {
        QString caption, prompt, preset;
        answerSearch("data", &caption, &prompt, &preset);
        QTest::mouseClick(w.FindBtn, Qt::LeftButton);
        EXPECT_EQ(caption, u("ファイル名部分一致検索"));
        EXPECT_EQ(prompt, u("検索文字列"));
        EXPECT_EQ(preset, QString());
        EXPECT_EQ(fdtest::texts(w), (QStringList{"data1", "mydata"}));
        EXPECT_EQ(w.windowTitle(), u("[ data ]を含むファイル一覧"));
        // The last entry is selected again, as after the first listing.
        EXPECT_EQ(fdtest::selectedRow(w), 1);

        // Cancel changes nothing.
        answerSearch(nullptr, nullptr, nullptr, &preset);
        QTest::mouseClick(w.FindBtn, Qt::LeftButton);
        EXPECT_EQ(preset, u("data"));
        EXPECT_EQ(fdtest::texts(w), (QStringList{"data1", "mydata"}));

        // An empty text lists everything and still adds its prefix.
        answerSearch("");
        QTest::mouseClick(w.FindBtn, Qt::LeftButton);
        EXPECT_EQ(fdtest::texts(w).size(), 4);
        EXPECT_EQ(w.windowTitle(), u("[  ]を含む[ data ]を含むファイル一覧"));
    });
    // Each window starts without a search.
    run(f.open, [&](TListForm& w) { EXPECT_EQ(fdtest::texts(w).size(), 4); });
}

TEST(Search, OwnerHandlerCanReplaceOrPrepareThePrompt)
{
    Folder f{"abc.txt", "xyz.txt"};
    f.open.Options = {doFindBtn};
    std::string seenDir;
    bool proceed = false;
    f.open.OnFindBtnClick = [&](QObject*, const std::string& dir, bool& DefautEvent,
                                std::string& AndFindText) {
        EXPECT_FALSE(DefautEvent);
        seenDir = dir;
        AndFindText = "xy";
        DefautEvent = proceed;
    };
    run(f.open, [&](TListForm& w) {
        // Left False: no prompt and no new listing.
        QTest::mouseClick(w.FindBtn, Qt::LeftButton);
        EXPECT_EQ(QApplication::activeModalWidget(), &w);
        EXPECT_EQ(fdtest::texts(w).size(), 2);
        EXPECT_EQ(seenDir, f.d.path() + "/");
        // Set True: the prompt follows, starting from the handler's text.
        proceed = true;
        QString preset;
        answerSearch("xyz", nullptr, nullptr, &preset);
        QTest::mouseClick(w.FindBtn, Qt::LeftButton);
        EXPECT_EQ(preset, u("xy"));
        EXPECT_EQ(fdtest::texts(w), QStringList{"xyz"});
    });
}
