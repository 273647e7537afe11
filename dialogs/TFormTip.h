#pragma once

#include "dialogs/TLazyDialog.h"
#include <QStringList>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The tip of the day: one line of tips.txt at each showing, in turn across
// starts (the setting NextTip remembers the place). Shown without modality
// at start-up while the setting ShowTips is on; "Close" only hides it.
class TFormTip : public TLazyDialog {
    Q_OBJECT

public:
    // Reads the tips at once; the controls come with the first showing.
    explicit TFormTip(QWidget *parent = nullptr);
    ~TFormTip() override;

    // One entry per line of tips.txt; empty when the file could not be read.
    QStringList Tips;

    // --- components: null until CreateControls() ---
    QWidget *Panel1 = nullptr;
    QWidget *Panel2 = nullptr;
    QLabel *Image1 = nullptr;
    QWidget *Panel3 = nullptr;
    QWidget *Panel4 = nullptr;
    QLabel *Label1 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QCheckBox *CBShowTips = nullptr;
    QPushButton *BtnNext = nullptr;
    QPushButton *BtnClose = nullptr;

    void CreateControls() override;

    // Loads tips.txt from the program folder; a missing or unreadable file
    // leaves no tips and is not reported.
    void FormCreate();
    // Every showing steps to the next tip.
    void FormShow();
    // Shows the tip at NextTip (the first when past the end) and stores the
    // index after it. Does nothing without tips.
    void BtnNextClick();
    // The box goes straight into the setting ShowTips.
    void CBShowTipsClick();
    void BtnCloseClick();

protected:
    void showEvent(QShowEvent *event) override;
};
