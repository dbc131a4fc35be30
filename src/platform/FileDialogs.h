#pragma once

#include "Prompter.h"

#include <QObject>
#include <QString>

class QWidget;

// The open and save dialogs as the forms use them: properties set beforehand, Execute()
// runs the dialog, FileName holds the chosen path afterwards (and so is proposed next time).
class TFileDialog : public QObject {
    Q_OBJECT
public:
    QString FileName;
    QString Filter;
    QString DefaultExt;
    QString Title;
    int FilterIndex = 1;

    // Runs the dialog over `owner`; false when the user cancelled, FileName unchanged then.
    bool Execute(QWidget *owner);

    void setPrompter(Prompter *prompter) { m_prompter = prompter; }

protected:
    TFileDialog(FileDialogRequest::Kind kind, QObject *parent);

private:
    FileDialogRequest::Kind m_kind;
    Prompter *m_prompter = nullptr;
};

class TOpenDialog final : public TFileDialog {
    Q_OBJECT
public:
    explicit TOpenDialog(QObject *parent = nullptr)
        : TFileDialog(FileDialogRequest::Kind::Open, parent)
    {
    }
};

class TSaveDialog final : public TFileDialog {
    Q_OBJECT
public:
    explicit TSaveDialog(QObject *parent = nullptr)
        : TFileDialog(FileDialogRequest::Kind::Save, parent)
    {
    }
};
