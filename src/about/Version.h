#pragma once

#include "ui_Version.h"

#include <QDialog>

// The about box: product name, version, release date, the product's web page and the
// author's address. Its controls come from Version.ui (OkBt, Label1 to Label5, UrlLabel1,
// UrlLabel2). It opens at the same place each time, and only OK or the close box close it.
class TVersionForm final : public QDialog, public Ui::TVersionFormDesign {
    Q_OBJECT
public:
    explicit TVersionForm(QWidget *parent = nullptr);

    void OkBtClick();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
