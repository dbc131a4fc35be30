#pragma once

#include "IniFile.h"
#include "KSubWnd.h"

#include <QString>

class QWidget;

// Keeps its owner form's bounds: the window state, the minimised and maximised positions and
// the normal bounds, as the text "state,minX,minY,maxX,maxY,left,top,right,bottom". Load puts
// them back; Save takes them, by hand or by itself just before the form's native window is
// destroyed. Where the text is kept is the business of a derived class.
class TKSaveFormPos : public TKCustomSubWnd {
    Q_OBJECT
    Q_PROPERTY(bool SaveBounds READ SaveBounds WRITE setSaveBounds)
    Q_PROPERTY(bool ResumeIconic READ ResumeIconic WRITE setResumeIconic)
public:
    explicit TKSaveFormPos(QObject *owner = nullptr);

    bool SaveBounds() const { return m_saveBounds; }
    void setSaveBounds(bool saveBounds) { m_saveBounds = saveBounds; }
    // Whether a form saved minimised comes back minimised.
    bool ResumeIconic() const { return m_resumeIconic; }
    void setResumeIconic(bool resumeIconic) { m_resumeIconic = resumeIconic; }

    // The owner form calls this once it is built: the component hooks it and, with SaveBounds,
    // loads its bounds without showing it. Later calls do nothing.
    void Loaded();

    // The write's result, so that a caller can stop on a failure. Without an owner form there
    // is nothing to save.
    [[nodiscard]] virtual IniWriteResult Save();
    // A text that is not exactly nine items changes nothing; an item that is no integer keeps
    // what the form has there.
    virtual void Load();

protected:
    [[nodiscard]] virtual IniWriteResult WriteBounds(const QString &text) = 0;
    virtual void ReadBounds(QString &text) = 0;

    bool SubWndProc(QObject *target, QEvent *event) override;

    QWidget *OwnerForm() const;

private:
    bool m_saveBounds = true;
    bool m_resumeIconic = false;
    bool m_loading = true; // until Loaded, as while the form's description is read
};

// Keeps the bounds in the settings file beside the executable, section "Bounds", key
// "<form's objectName>.Bounds". Every read and write opens the file afresh.
class TKSavePosIni final : public TKSaveFormPos {
    Q_OBJECT
public:
    explicit TKSavePosIni(QObject *owner = nullptr);

protected:
    IniWriteResult WriteBounds(const QString &text) override;
    void ReadBounds(QString &text) override;

private:
    QString Ident() const;
};
