#pragma once

#include "dialogs/TLazyDialog.h"

class QFrame;
class QLabel;
class QPushButton;

// The about box: the program's name and version, a link to the project's
// own address (its manual: the project has no web site) and the way to the
// help. Made once at start-up, shown modally on demand.
class TFormAbout : public TLazyDialog {
    Q_OBJECT

public:
    // The manual beside the program, which the link names and opens.
    static constexpr const char *ManualFileName = "Jotterbox.html";
    static QString ManualAddress();

    explicit TFormAbout(QWidget *parent = nullptr);
    ~TFormAbout() override;

    // --- components: null until CreateControls() ---
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *LabelNotice = nullptr;
    QLabel *Label5 = nullptr;
    // Between the two rules: what the program does and where its files are.
    QLabel *LabelAbout = nullptr;
    QFrame *Bevel1 = nullptr;
    QFrame *Bevel2 = nullptr;
    QPushButton *BtnOK = nullptr;
    QPushButton *BtnHelp = nullptr;

    void CreateControls() override;

    // Every showing: the version text and the place (centred the first
    // time, then high up on the screen, see AboutBoxPlace).
    void FormShow();
    void BtnOKClick();
    // Opens the manual with the desktop's browser; a failure is not told.
    void Label5Click();
    void BtnHelpClick();

signals:
    // The help button was pressed: the program's help should open.
    void HelpRequested();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool FShownBefore = false;
};
