#pragma once

#include <QLabel>
#include <QStringList>

class QMenu;

// A link-style label showing the current choice; a click offers the choices
// in a popup menu just below it.
class TZELCombo : public QLabel {
    Q_OBJECT

public:
    explicit TZELCombo(QWidget *parent = nullptr);

    QStringList Items() const { return FItems; }
    // Copies the list; the text and ItemIndex stay.
    void SetItems(const QStringList &items);
    int ItemIndex() const { return FItemIndex; }
    // Stores the index, then shows that item (empty for -1). Fires nothing.
    // An index outside the items fails with "List index out of bounds (%d)"
    // (an EJbxError) after the index was stored, the text unchanged.
    void SetItemIndex(int index);
    QString Text() const { return text(); }
    void SetText(const QString &value); // the shown text only

    // The click: fills the menu afresh and pops it up at the label's left
    // edge, 2 pixels above its bottom edge. Does not wait for the choice.
    void ShowMenu();
    // A choice was made (the menu item's index).
    void ItemClick(int index);
    // The menu as last filled; for tests.
    QMenu *Menu() const { return FMenu; }

signals:
    // The user picked a choice; nothing has changed yet.
    void Selecting();
    // The text and ItemIndex now show the choice.
    void Selected();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QStringList FItems;
    int FItemIndex = -1;
    QMenu *FMenu;
};
