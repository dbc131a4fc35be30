#include "Main.h"

#include "Application.h"
#include "FormFont.h"
#include "Prompter.h"
#include "Version.h"
#include "preview.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QShowEvent>

#include <sys/stat.h>

namespace {

bool SameFile(const QString &a, const QString &b)
{
    struct stat sa { };
    struct stat sb { };
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0
        && ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
}

} // namespace

TMainForm *MainForm = nullptr;
TVersionForm *VersionForm = nullptr;
TPreviewForm *PreviewForm = nullptr;

TMainForm::TMainForm(Prompter *prompter, QWidget *parent)
    : QWidget(parent)
    , m_prompter(prompter ? prompter : &defaultPrompter())
{
    // The font first: the widgets are built in it, instead of in the default font and again.
    setFont(FormFont());
    setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    move(178, 98);
    setFixedSize(314, 127);

    // The form's labels show local paths, so they cut at the platform's separator.
    const QString separator = QDir::separator();
    Label2->setSeparator(separator);
    label1->setSeparator(separator);

    CopyBookmark = new TFileOperation(this);
    CopyBookmark->setOptions({});
    CopyBookmark->setSplitSource(false);
    CopyBookmark->setPrompter(m_prompter);

    SavePos = new TKSavePosIni(this);
    SavePos->setResumeIconic(false);

    OpenDialog = new TOpenDialog(this);
    OpenDialog->DefaultExt = QStringLiteral("*.htm");
    OpenDialog->Filter = QStringLiteral("HTMLﾌｧｲﾙ(*.htm;*.html)|*.htm;*.html|全てのﾌｧｲﾙ(*.*)|*.*");
    OpenDialog->FilterIndex = 1;
    OpenDialog->setPrompter(m_prompter);

    SaveDialog = new TSaveDialog(this);
    SaveDialog->DefaultExt = QStringLiteral(".html");
    SaveDialog->FileName = QStringLiteral("lorvet.html");
    SaveDialog->Filter = QStringLiteral("HTMLファイル(*.htm;*.html)|*.htm;*.html");
    SaveDialog->setPrompter(m_prompter);

    connect(Browsebt, &QToolButton::clicked, this, &TMainForm::BrowsebtClick);
    connect(Browsebt2, &QToolButton::clicked, this, &TMainForm::Browsebt2Click);
    connect(ExecuteBt, &QToolButton::clicked, this, &TMainForm::ExecuteBtClick);
    connect(VersionBt, &QToolButton::clicked, this, &TMainForm::VersionBtClick);
    connect(Label2, &TFileLabel::DblClick, this, &TMainForm::Label2DblClick);
    connect(label1, &TFileLabel::DblClick, this, &TMainForm::label1DblClick);
    // A change of the box's state, by the user or by the program, runs the handler.
    connect(ShowPreview, &QCheckBox::toggled, this, &TMainForm::ShowPreviewClick);

    // The form is built: the placement saver hooks it and puts back its stored placement,
    // still hidden; then the form's own creation handler reads the settings.
    SavePos->Loaded();
    FormCreate();
}

// The settings path is the executable's with the extension ".ini", as the placement saver
// forms it too, so both keep to one file.
void TMainForm::FormCreate()
{
    ExeStem = ChangeFileExt(Application::exeName(), QString());
    // The placement saver has just loaded the stored placement while the form was being
    // built; loading it again here would show the window before the other windows exist.
    IniFile = std::make_unique<TIniFile>(SettingsPath());
    PreviewTop = IniFile->ReadInteger(QStringLiteral("PreviewForm"), QStringLiteral("Top"), 128);
    PreviewLeft = IniFile->ReadInteger(QStringLiteral("PreviewForm"), QStringLiteral("Left"), 441);
    PreviewHeight
        = IniFile->ReadInteger(QStringLiteral("PreviewForm"), QStringLiteral("Height"), 418);
    PreviewWidth
        = IniFile->ReadInteger(QStringLiteral("PreviewForm"), QStringLiteral("Width"), 288);
}

void TMainForm::FormShow()
{
    const QString files = QStringLiteral("Files");
    const QString netscape = QStringLiteral("Netscape Bookmark");
    label1->setFileName(IniFile->ReadString(files, netscape, MainTexts::NetscapePlaceholder));
    PreviewFile = IniFile->ReadString(files, netscape, MainTexts::NetscapePlaceholder);
    if (labelHoldsPlaceholder(label1)) {
        ShowPreview->setEnabled(false);
        return;
    }
    ShowPreview->setChecked(IniFile->ReadBool(files, QStringLiteral("ShowPreview"), true));
    if (ShowPreview->isChecked()) {
        PreviewFile = label1->FileName();
        // A minimised window is not painted; nothing waits for it then.
        if (isMinimized())
            ShowPreviewWindow();
        else
            m_previewAfterFirstPaint = true;
    }
}

bool TMainForm::FormClose()
{
    // After a close that failed, this one writes everything again, through a new settings
    // object when the last one has been released.
    if (!IniFile)
        IniFile = std::make_unique<TIniFile>(SettingsPath());
    // The first write that fails ends the close; the later ones are not tried.
    const auto done = [](const IniWriteResult &result) {
        if (!result.ok)
            Application::showError(result.message);
        return result.ok;
    };
    const QString files = QStringLiteral("Files");
    const QString form = QStringLiteral("PreviewForm");
    // The preview window's own bounds, shown or hidden, not the fields.
    const QRect preview = PreviewForm ? QRect(PreviewForm->Left(), PreviewForm->Top(),
                              PreviewForm->Width(), PreviewForm->Height())
                                      : QRect(PreviewLeft, PreviewTop, PreviewWidth, PreviewHeight);
    if (!done(IniFile->WriteBool(files, QStringLiteral("ShowPreview"), ShowPreview->isChecked()))
        || !done(
            IniFile->WriteString(files, QStringLiteral("Netscape Bookmark"), label1->FileName()))
        || !done(IniFile->WriteInteger(form, QStringLiteral("Top"), preview.top()))
        || !done(IniFile->WriteInteger(form, QStringLiteral("Left"), preview.left()))
        || !done(IniFile->WriteInteger(form, QStringLiteral("Height"), preview.height()))
        || !done(IniFile->WriteInteger(form, QStringLiteral("Width"), preview.width())))
        return false;
    IniFile.reset();
    return done(SavePos->Save());
}

bool TMainForm::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::Paint && m_previewAfterFirstPaint) {
        // Queued, so that the painted window reaches the screen first.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_previewAfterFirstPaint)
                    ShowPreviewWindow();
            },
            Qt::QueuedConnection);
    }
    return handled;
}

void TMainForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The window system's own show events (a restore from the task bar) are no new showing.
    if (!event->spontaneous())
        FormShow();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

TMainForm::~TMainForm() = default;

void TMainForm::message(const QString &text)
{
    m_prompter->message(this, text);
}

bool TMainForm::labelHoldsPlaceholder(const TFileLabel *label) const
{
    const QString &placeholder
        = label == label1 ? MainTexts::NetscapePlaceholder : MainTexts::SourcePlaceholder;
    return label->FileName() == placeholder;
}

void TMainForm::pick(TFileLabel *label, const QString &proposal)
{
    OpenDialog->FileName = proposal;
    if (!OpenDialog->Execute(this))
        return;
    // Such a name could not be kept in the settings file, and the window could not close.
    if (OpenDialog->FileName.contains(QLatin1Char('\n'))
        || OpenDialog->FileName.contains(QLatin1Char('\r'))) {
        message(MainTexts::NameWithLineBreak);
        return;
    }
    ShowPreview->setEnabled(true);
    label->setFileName(OpenDialog->FileName);
    PreviewFile = OpenDialog->FileName;
    if (ShowPreview->isChecked())
        ShowPreviewWindow();
}

void TMainForm::BrowsebtClick()
{
    pick(label1, QStringLiteral("bookmark.htm"));
}

void TMainForm::Browsebt2Click()
{
    pick(Label2, QString());
}

void TMainForm::ExecuteBtClick()
{
    if (labelHoldsPlaceholder(label1)) {
        message(MainTexts::ChooseNetscape);
        return;
    }
    if (DeleteBookmark->isChecked()) {
        if (!BackupBookmark(QString()))
            return;
        CopyBookmark->setSource(label1->FileName());
        CopyBookmark->setMode(foDelete);
        CopyBookmark->Execute();
        return;
    }
    if (labelHoldsPlaceholder(Label2)) {
        message(MainTexts::ChooseSource);
        return;
    }
    if (!BackupBookmark(Label2->FileName()))
        return;
    CopyBookmark->setMode(foCopy);
    CopyBookmark->setSource(Label2->FileName());
    CopyBookmark->setDestination(label1->FileName());
    CopyBookmark->Execute();
}

bool TMainForm::BackupBookmark(const QString &source)
{
    // With no file there is nothing to lose, and nothing to ask about.
    if (!QFileInfo::exists(label1->FileName()))
        return true;
    message(MainTexts::WhereToBackUp);
    if (!SaveDialog->Execute(this))
        return true;
    // A backup over the chosen source would replace it with the current list, which the
    // switch would then copy back: the wanted list would be gone.
    if (!source.isEmpty() && SameFile(SaveDialog->FileName, source)) {
        message(MainTexts::BackupOntoSource);
        return false;
    }
    CopyBookmark->setMode(foCopy);
    CopyBookmark->setSource(label1->FileName());
    CopyBookmark->setDestination(SaveDialog->FileName);
    if (CopyBookmark->Execute() == 0 && !CopyBookmark->AbortByUser())
        return true;
    // The service has said why in its own dialog; this says what it means for the switch.
    message(MainTexts::BackupFailed);
    return false;
}

void TMainForm::VersionBtClick()
{
    if (VersionForm)
        VersionForm->exec();
}

void TMainForm::label1DblClick()
{
    previewLabel(label1, MainTexts::ChooseNetscape);
}

void TMainForm::Label2DblClick()
{
    previewLabel(Label2, MainTexts::ChooseSource);
}

void TMainForm::previewLabel(const TFileLabel *label, const QString &whenEmpty)
{
    if (labelHoldsPlaceholder(label)) {
        message(whenEmpty);
        return;
    }
    PreviewFile = label->FileName();
    showOrHidePreview();
}

void TMainForm::showOrHidePreview()
{
    if (ShowPreview->isChecked())
        ShowPreviewWindow();
    else
        HidePreviewWindow();
}

void TMainForm::ShowPreviewClick()
{
    if (labelHoldsPlaceholder(label1)) {
        if (labelHoldsPlaceholder(Label2)) {
            ShowPreview->setEnabled(false);
            return;
        }
        PreviewFile = Label2->FileName();
    }
    showOrHidePreview();
}

void TMainForm::ShowPreviewWindow()
{
    m_previewAfterFirstPaint = false;
    if (!PreviewForm)
        return;
    PreviewForm->SetBounds(PreviewLeft, PreviewTop, PreviewWidth, PreviewHeight);
    PreviewForm->LoadBookmark();
    PreviewForm->setVisible(true);
}

void TMainForm::HidePreviewWindow()
{
    m_previewAfterFirstPaint = false;
    if (!PreviewForm)
        return;
    PreviewTop = PreviewForm->Top();
    PreviewLeft = PreviewForm->Left();
    PreviewHeight = PreviewForm->Height();
    PreviewWidth = PreviewForm->Width();
    PreviewForm->setVisible(false);
}
