#pragma once

#include <QDialog>

// The about box: product name, version, release date and two links.
class TVersionForm final : public QDialog {
    Q_OBJECT
public:
    explicit TVersionForm(QWidget *parent = nullptr);
};
