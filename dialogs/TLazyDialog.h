#pragma once

#include <QDialog>

// A dialog made at start-up that costs next to nothing until it is first
// shown: its controls are made then, by CreateControls, which does nothing
// when they exist already.
class TLazyDialog : public QDialog {
public:
    using QDialog::QDialog;

    virtual void CreateControls() = 0;

    void setVisible(bool visible) override
    {
        if (visible)
            CreateControls();
        QDialog::setVisible(visible);
    }
};
