// The Find and Replace dialogs on Qt, built from their templates: one widget per control with its
// id, caption and mnemonic, the enabling rules, typing with real key events, Enter and Escape;
// and Find and Replace run from the editor's keys, with the settings written under their names.
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <memory>

#include "app/qtdialogs.h"
#include "app/qtresources.h"
#include "app/resources/dialogs.h"
#include "app/resources/resourceids.h"
#include "app_harness.h"
#include "edit/finddialog.h"
#include "edit/replacedialog.h"

namespace apptest {
namespace {

using app::QtTemplateDialog;
using platform::ControlKind;

// A text view on a small text, for the dialogs to search in.
struct Text {
    explicit Text(std::string_view text) {
        buffer.ResetToEmpty(LineEndDos);
        int line = 0;
        int ch = 0;
        buffer.ApplyInsert(nullptr, 0, 0, text, line, ch);
        view.ConnectBuffer(&buffer);
    }
    ~Text() { view.DisconnectBuffer(); }
    CTextBuffer buffer;
    CTextEditView view;
};

template <typename W> W* ControlAs(QtTemplateDialog& d, int32_t id) {
    return qobject_cast<W*>(d.Control(id));
}

TEST(SearchDialogsQt, EveryControlOfTheTemplatesIsBuilt) {
    Text text("ld a,b");
    for (const int32_t id : {app::IDD_FIND, app::IDD_REPLACE}) {
        const platform::DialogTemplate* templ = app::FindDialogTemplate(id);
        ASSERT_NE(templ, nullptr);
        CFindDialog find(&text.view);
        CReplaceDialog replace(&text.view);
        platform::Dialog& dialog = id == app::IDD_FIND ? static_cast<platform::Dialog&>(find)
                                                       : static_cast<platform::Dialog&>(replace);
        QtTemplateDialog window(dialog, *templ, nullptr, {});
        EXPECT_EQ(window.windowTitle().toStdString(), templ->title);
        int index = 0;
        for (const platform::DialogControl& c : templ->controls) {
            SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.id));
            QWidget* widget =
                c.id == app::IDC_STATIC
                    ? window.findChild<QWidget*>(QStringLiteral("static%1").arg(index))
                    : window.Control(c.id);
            ++index;
            ASSERT_NE(widget, nullptr);
            const QString caption = app::ToQString(c.text);
            switch (c.kind) {
            case ControlKind::Static:
                ASSERT_NE(qobject_cast<QLabel*>(widget), nullptr);
                EXPECT_EQ(qobject_cast<QLabel*>(widget)->text(), caption);
                // The mnemonic of a label goes to the edit after it.
                EXPECT_NE(qobject_cast<QLineEdit*>(qobject_cast<QLabel*>(widget)->buddy()),
                          nullptr);
                break;
            case ControlKind::Edit:
                EXPECT_NE(qobject_cast<QLineEdit*>(widget), nullptr);
                break;
            case ControlKind::CheckBox:
                ASSERT_NE(qobject_cast<QCheckBox*>(widget), nullptr);
                EXPECT_EQ(qobject_cast<QCheckBox*>(widget)->text(), caption);
                break;
            case ControlKind::RadioButton:
                ASSERT_NE(qobject_cast<QRadioButton*>(widget), nullptr);
                EXPECT_EQ(qobject_cast<QRadioButton*>(widget)->text(), caption);
                break;
            case ControlKind::PushButton:
            case ControlKind::DefPushButton:
                ASSERT_NE(qobject_cast<QPushButton*>(widget), nullptr);
                EXPECT_EQ(qobject_cast<QPushButton*>(widget)->text(), caption);
                EXPECT_EQ(qobject_cast<QPushButton*>(widget)->isDefault(),
                          c.kind == ControlKind::DefPushButton);
                break;
            default:
                break;
            }
        }
        // Laid out in dialog units: the dialog is wider than high, as its template.
        EXPECT_GT(window.width(), window.height());
    }
}

TEST(SearchDialogsQt, TypingEnablesFindNextAndCancelKeepsThePattern) {
    Text text("ld a,b\rret");
    CFindDialog dialog(&text.view);
    QtTemplateDialog window(dialog, *app::FindDialogTemplate(app::IDD_FIND), nullptr, {});
    window.show();
    window.Start();
    auto* edit = ControlAs<QLineEdit>(window, app::IDC_FIND_WHAT);
    auto* findNext = ControlAs<QPushButton>(window, app::IDOK);
    ASSERT_TRUE(edit && findNext);
    EXPECT_FALSE(findNext->isEnabled());
    EXPECT_TRUE(ControlAs<QRadioButton>(window, app::IDC_DIRECTION_DOWN)->isChecked());
    QTest::keyClicks(edit, "re");
    EXPECT_TRUE(findNext->isEnabled());
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_FALSE(findNext->isEnabled());
    QTest::keyClicks(edit, "ret");
    // A character the dialog's code page cannot hold is refused.
    edit->insert(QString::fromUtf8("\xD0\xB6"));
    EXPECT_EQ(edit->text(), QStringLiteral("ret"));
    QTest::keyClick(ControlAs<QCheckBox>(window, app::IDC_MATCH_CASE), Qt::Key_Space);
    QTest::mouseClick(ControlAs<QPushButton>(window, app::IDCANCEL), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), app::IDCANCEL);
    EXPECT_EQ(dialog.pattern, "ret");
    EXPECT_TRUE(dialog.matchCase);
    EXPECT_EQ(text.view.GetCaretPos(), (TextPosition{}));
}

TEST(SearchDialogsQt, EnterFindsAndEscapeCancels) {
    Text text("ld a,b\rret");
    CFindDialog dialog(&text.view);
    dialog.pattern = "RET";
    QtTemplateDialog window(dialog, *app::FindDialogTemplate(app::IDD_FIND), nullptr, {});
    window.show();
    window.Start();
    EXPECT_EQ(ControlAs<QLineEdit>(window, app::IDC_FIND_WHAT)->selectedText(), "RET");
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(window.result(), app::IDOK);
    EXPECT_EQ(text.view.GetCaretPos(), (TextPosition{3, 1}));

    std::vector<std::string> messages;
    CReplaceDialog replace(&text.view);
    replace.scope = 1;
    replace.selectionScopeAllowed = false;
    QtTemplateDialog second(replace, *app::FindDialogTemplate(app::IDD_REPLACE), nullptr,
                            [&](QWidget*, std::string_view m) { messages.emplace_back(m); });
    second.show();
    second.Start();
    EXPECT_FALSE(ControlAs<QRadioButton>(second, app::IDC_SCOPE_SELECTION)->isEnabled());
    EXPECT_TRUE(ControlAs<QRadioButton>(second, app::IDC_SCOPE_WHOLE_FILE)->isChecked());
    EXPECT_TRUE(ControlAs<QPushButton>(second, app::IDC_REPLACE_ALL)->isEnabled());
    QTest::keyClicks(ControlAs<QLineEdit>(second, app::IDC_FIND_WHAT), "djnz");
    QTest::mouseClick(ControlAs<QPushButton>(second, app::IDC_FIND_NEXT), Qt::LeftButton);
    EXPECT_EQ(messages, std::vector<std::string>{"Cannot find string\"djnz\""});
    EXPECT_TRUE(second.isVisible());
    QTest::keyClick(&second, Qt::Key_Escape);
    EXPECT_FALSE(second.isVisible());
    EXPECT_EQ(second.result(), app::IDCANCEL);
    EXPECT_EQ(replace.pattern, "djnz");
}

// The application's user interface with real dialogs, each driven by the next script.
class DialogUi final : public app::UiServices {
public:
    app::MessageResult MessageBox(std::string_view text, app::MessageButtons,
                                  app::MessageIcon) override {
        messages.emplace_back(text);
        return app::MessageResult::Ok;
    }
    std::optional<std::string> AskOpenPath(std::string_view) override { return std::nullopt; }
    std::optional<std::string> AskSavePath(std::string_view) override { return std::nullopt; }
    std::optional<app::FontChoice> ChooseFont(const platform::LogFont&) override {
        return std::nullopt;
    }
    void ShowAbout() override {}
    int32_t RunDialog(platform::Dialog& dialog) override {
        QtTemplateDialog window(dialog, *app::FindDialogTemplate(dialog.TemplateId()), nullptr,
                                [&](QWidget*, std::string_view m) { messages.emplace_back(m); });
        window.show();
        window.Start();
        if (script)
            script(window);
        if (window.isVisible())
            window.reject();
        return window.result();
    }

    std::function<void(QtTemplateDialog&)> script;
    std::vector<std::string> messages;
};

class SearchAppTest : public AppTest {
protected:
    bool StartWithDialogs(const QStringList& arguments) {
        app = std::make_unique<app::CEditorApp>(
            app::AppOptions{SettingsPath(), &dialogs, nullptr, JournalFolder()});
        return app->InitInstance(arguments);
    }
    DialogUi dialogs;
};

TEST_F(SearchAppTest, FindAndReplaceFromTheKeysKeepTheirSettings) {
    WriteFile("prog.asm", "\tld a,1\r\n\tld b,2\r\n\tret\r\n");
    ASSERT_TRUE(StartWithDialogs({QString::fromStdString(FilePath("prog.asm"))}));
    app::CSampleView& view = View();
    const CmdUI findNext = [&] {
        CmdUI state;
        state.id = app::ID_EDIT_REPEAT;
        view.RouteCommandUI(state);
        return state;
    }();
    EXPECT_FALSE(findNext.enabled);

    dialogs.script = [](QtTemplateDialog& d) {
        QTest::keyClicks(ControlAs<QLineEdit>(d, app::IDC_FIND_WHAT), "LD");
        QTest::keyClick(&d, Qt::Key_Return);
    };
    view.OnCommand(app::ID_EDIT_FIND);
    EXPECT_EQ(view.GetCaretPos(), (TextPosition{3, 0}));
    view.OnCommand(app::ID_EDIT_REPEAT);
    EXPECT_EQ(view.GetCaretPos(), (TextPosition{3, 1}));

    // Without a selection the whole file is searched.
    view.CollapseCaretTo({0, 0});
    dialogs.script = [](QtTemplateDialog& d) {
        QTest::keyClicks(ControlAs<QLineEdit>(d, app::IDC_FIND_WHAT), "ld");
        QTest::keyClicks(ControlAs<QLineEdit>(d, app::IDC_REPLACE_WITH), "LD");
        QTest::mouseClick(ControlAs<QPushButton>(d, app::IDC_REPLACE_ALL), Qt::LeftButton);
        QTest::mouseClick(ControlAs<QPushButton>(d, app::IDCANCEL), Qt::LeftButton);
    };
    view.OnCommand(app::ID_EDIT_REPLACE);
    EXPECT_EQ(Doc().Buffer().LineText(0), "\tLD a,1");
    EXPECT_EQ(Doc().Buffer().LineText(1), "\tLD b,2");
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Cannot find string\"ld\""});
    QAction* undo = MenuItem(app::ID_EDIT_UNDO);
    ASSERT_NE(undo, nullptr);
    EXPECT_EQ(undo->text(), QStringLiteral("&Undo Replace\tCtrl+Z"));

    Stop();
    EXPECT_EQ(Stored("Find/FindWhat").toString(), QStringLiteral("LD"));
    EXPECT_EQ(Stored("Find/MatchCase").toInt(), 0);
    EXPECT_EQ(Stored("Find/WholeWord").toInt(), 0);
    EXPECT_EQ(Stored("Replace/FindWhat").toString(), QStringLiteral("ld"));
    EXPECT_EQ(Stored("Replace/ReplaceWith").toString(), QStringLiteral("LD"));
    EXPECT_EQ(Stored("Replace/MatchCase").toInt(), 0);
    EXPECT_EQ(Stored("Replace/WholeWord").toInt(), 0);
}

} // namespace
} // namespace apptest
