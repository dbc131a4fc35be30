#include "Version.h"

#include "FormFont.h"

TVersionForm::TVersionForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("VersionForm"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(FormFont());
    setAttribute(Qt::WA_QuitOnClose, false);
    move(186, 129);
    setFixedSize(235, 200);
}
