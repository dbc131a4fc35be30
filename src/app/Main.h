#pragma once

#include "FileDialogs.h"
#include "FileOper.h"
#include "IniFile.h"
#include "KSavePos.h"
#include "PreviewHost.h"
#include "ui_Main.h"

#include <QWidget>

#include <memory>

class Prompter;
class TPreviewForm;
class TVersionForm;

// The main window: pick Netscape's bookmark file and a source, back the first up and copy
// the source over it (or delete it), and drive the preview and the about box.
//
// The form's controls come from Main.ui (Browsebt, Browsebt2, ExecuteBt, VersionBt, Label2,
// Image1, label1, DeleteBookmark, ShowPreview); the shared preview fields from TPreviewHost.
class TMainForm final : public QWidget, public Ui::TMainFormDesign, public TPreviewHost {
    Q_OBJECT
public:
    // `prompter` answers the form's questions; null means the real dialogs.
    explicit TMainForm(Prompter *prompter = nullptr, QWidget *parent = nullptr);
    ~TMainForm() override;

    TFileOperation *CopyBookmark;
    TOpenDialog *OpenDialog;
    TKSavePosIni *SavePos;
    TSaveDialog *SaveDialog;

    void Browsebt2Click();
    void FormCreate();
    // Whether the window may close: false when a setting could not be written, which the
    // application's error box has then reported.
    bool FormClose();
    void BrowsebtClick();
    void ExecuteBtClick();
    void VersionBtClick();
    void Label2DblClick();
    void label1DblClick();
    void ShowPreviewWindow();
    void ShowPreviewClick();
    void FormShow();
    void HidePreviewWindow();

    // The settings file beside the executable.
    QString SettingsPath() const { return ExeStem + QStringLiteral(".ini"); }
    // Whether the preview asked for at start waits for the window's first paint.
    bool PreviewWaitsForFirstPaint() const { return m_previewAfterFirstPaint; }

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Whether the switch may go on: the backup was made, or the user chose to skip it by
    // cancelling the save dialog. A backup that failed has been reported, and stops it.
    // `source`, when given, is the file the switch will copy: the backup may not replace it.
    bool BackupBookmark(const QString &source);
    void message(const QString &text);
    bool labelHoldsPlaceholder(const TFileLabel *label) const;
    void pick(TFileLabel *label, const QString &proposal);
    void previewLabel(const TFileLabel *label, const QString &whenEmpty);
    void showOrHidePreview();

    Prompter *m_prompter;
    // Starting the web engine takes longer than drawing this window; the preview that the
    // settings ask for at start comes once the window is on the screen.
    bool m_previewAfterFirstPaint = false;
    // The settings object lives from FormCreate to FormClose. It and the executable's stem
    // belong to the window rather than to the unit, so that each main window starts afresh.
    std::unique_ptr<TIniFile> IniFile;
    QString ExeStem;
};

// The program's three windows, set by the program body and valid until it ends.
extern TMainForm *MainForm;
extern TVersionForm *VersionForm;
extern TPreviewForm *PreviewForm;

namespace MainTexts {
inline const QString NetscapePlaceholder
    = QStringLiteral("NetscapeのBookmarkファイルを指定してください。");
inline const QString SourcePlaceholder = QStringLiteral("コピー元のBookmarkを選択してください。");
inline const QString ChooseNetscape = QStringLiteral("NetscapeのBookmarkを指定してください");
inline const QString ChooseSource = QStringLiteral("コピー元のBookmarkを選択してください。");
inline const QString WhereToBackUp = QStringLiteral("現在のBookmarkの保存先を指定してください。");
inline const QString NameWithLineBreak = QStringLiteral("改行を含むファイル名は扱えません。");
inline const QString BackupOntoSource = QStringLiteral(
    "バックアップの保存先がコピー元のBookmarkと同じファイルです。Bookmarkは変更していません。");
inline const QString BackupFailed
    = QStringLiteral("バックアップを作成できなかったため、Bookmarkは変更していません。");
} // namespace MainTexts
