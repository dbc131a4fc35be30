#include "Version.h"

#include "FormFont.h"

#include <QKeyEvent>
#include <QShowEvent>

#include <initializer_list>

namespace {
constexpr QPoint formPosition(186, 129);
} // namespace

TVersionForm::TVersionForm(QWidget *parent)
    : QDialog(parent)
{
    // The font first: the widgets are built in it, instead of in the default font and again.
    setFont(FormFont());
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    move(formPosition);
    setFixedSize(235, 200);

    // The labels take the size of their text, in the form's font, at their designed place.
    for (QLabel *label : std::initializer_list<QLabel *>{
             Label1, Label2, Label3, UrlLabel1, Label4, Label5, UrlLabel2})
        label->adjustSize();

    connect(OkBt, &QPushButton::clicked, this, &TVersionForm::OkBtClick);
}

void TVersionForm::OkBtClick()
{
    close();
}

void TVersionForm::showEvent(QShowEvent *event)
{
    // Each showing starts at the designed place, wherever the box was moved the last time;
    // a window the system merely restores stays where it is.
    if (!event->spontaneous())
        move(formPosition);
    QDialog::showEvent(event);
}

void TVersionForm::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Escape:
            // There is no cancel button; Escape leaves the box open.
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // OK is not the default button, but a focused button still takes Enter.
            if (OkBt->hasFocus()) {
                OkBt->click();
                return;
            }
            break;
        default:
            break;
        }
    }
    QDialog::keyPressEvent(event);
}
