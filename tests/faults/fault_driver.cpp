// Performs one operation through the program's real parts, for the fault tests to run under
// a fault they cause, as another user, or to kill: it prints what the user was told and what
// the operation returned, one item a line (line breaks inside a text as "\n"):
//   ready                  the operation starts now
//   done                   it has returned; what follows is only the report
//   <prompter call>        "message: ...", "error: ...", "replace: ...", "save: ..." and so on
//   shown: <text>          the application's error box
//   result: <n>            the service's return code
//   aborted: <0|1>         whether the user declined something
//   ok: <0|1>              whether the settings were written
//
//   fault_driver copy <from> <to>            the main window's copy, every replace answered yes
//   fault_driver delete <path>               the main window's delete, answered yes
//   fault_driver ini <file> <length> <letter> one settings write: "Value" in "[Files]" becomes
//                                            that many of that letter
//   fault_driver switch <exe folder> <netscape> <source> <backup|-> [delete] [close]
//       the whole switch on the main window: the two files picked, Execute, the backup dialog
//       answered with <backup> (- cancels it), every question answered yes; with "close" the
//       window is then closed, which writes the settings.
#include "Application.h"
#include "FileOper.h"
#include "IniFile.h"
#include "Main.h"
#include "ScriptedPrompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QTextStream>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QTextStream out(stdout);

void say(const QString &line)
{
    QString text = line;
    out << text.replace(u'\n', u"\\n"_s) << '\n';
    out.flush();
}

void report(const ScriptedPrompter &prompter)
{
    for (const QString &call : prompter.calls)
        if (!call.startsWith(u"progress: "_s))
            say(call);
    for (const QString &call : prompter.unexpected)
        say(u"unexpected: "_s + call);
}

void answerYes(ScriptedPrompter &prompter)
{
    for (int i = 0; i < 8; ++i) {
        prompter.replaceAnswers.enqueue(ReplaceAnswer::Yes);
        prompter.deleteAnswers.enqueue(true);
        prompter.mkdirAnswers.enqueue(true);
    }
}

int runOperation(TFileMode mode, const QString &from, const QString &to)
{
    ScriptedPrompter prompter;
    answerYes(prompter);
    TFileOperation op;
    op.setOptions({});
    op.setSplitSource(false);
    op.setPrompter(&prompter);
    op.setMode(mode);
    op.setSource(from);
    op.setDestination(to);
    say(u"ready"_s);
    const int result = op.Execute();
    say(u"done"_s);
    report(prompter);
    say(u"result: %1"_s.arg(result));
    say(u"aborted: %1"_s.arg(op.AbortByUser() ? 1 : 0));
    return 0;
}

int runSwitch(const QStringList &args)
{
    const QString folder = args.value(0);
    const QString netscape = args.value(1);
    const QString source = args.value(2);
    const QString backup = args.value(3);
    ScriptedPrompter prompter;
    Application::setTitle(u"Vantrelle Ver1.20"_s);
    Application::setExeNameForTests(folder + u"/vantrelle"_s);
    Application::setErrorHandlerForTests([](const QString &text) { say(u"shown: "_s + text); });
    TMainForm form(&prompter);
    Application::registerForm(&form);
    MainForm = &form;
    form.ShowPreview->setChecked(false);
    prompter.fileAnswers.enqueue(netscape);
    form.BrowsebtClick();
    if (source != u"-"_s) {
        prompter.fileAnswers.enqueue(source);
        form.Browsebt2Click();
    }
    form.DeleteBookmark->setChecked(args.contains(u"delete"_s));
    prompter.calls.clear();
    prompter.fileAnswers.enqueue(
        backup == u"-"_s ? std::optional<QString>() : std::optional<QString>(backup));
    answerYes(prompter);
    say(u"ready"_s);
    form.ExecuteBtClick();
    say(u"done"_s);
    report(prompter);
    if (args.contains(u"close"_s))
        say(u"ok: %1"_s.arg(form.FormClose() ? 1 : 0));
    MainForm = nullptr;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    args.removeFirst();
    if (command == u"copy"_s && args.size() == 2)
        return runOperation(foCopy, args.at(0), args.at(1));
    if (command == u"delete"_s && args.size() == 1)
        return runOperation(foDelete, args.at(0), QString());
    if (command == u"ini"_s && args.size() == 3 && args.at(2).size() == 1) {
        const TIniFile ini(args.at(0));
        say(u"ready"_s);
        const IniWriteResult result = ini.WriteString(
            u"Files"_s, u"Value"_s, QString(args.at(1).toInt(), args.at(2).at(0)));
        say(u"done"_s);
        if (!result.ok)
            say(u"shown: "_s + result.message);
        say(u"ok: %1"_s.arg(result.ok ? 1 : 0));
        return 0;
    }
    if (command == u"switch"_s && args.size() >= 4)
        return runSwitch(args);
    std::fprintf(stderr, "fault_driver: unknown command\n");
    return 2;
}
