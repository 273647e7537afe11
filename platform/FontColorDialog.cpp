#include "platform/FontColorDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The font as it is drawn: a family missing here (a Windows name shown
// through a look-alike) is not in the chooser's list, which would open on
// its first family instead.
QFont ShownFont(const QFont &font)
{
    QFont shown = font;
    shown.setFamily(QFontInfo(font).family());
    return shown;
}

// The font part: a font dialog shown as a widget inside ours. Its own ways
// of ending (Enter in its lists, Escape) would hide just that part and
// leave an empty chooser; they answer for the whole chooser instead.
class TFontPart final : public QFontDialog {
public:
    TFontPart(const QFont &font, QDialog *chooser) : QFontDialog(font, chooser), FChooser(chooser) {}
    void done(int result) override { result == Accepted ? FChooser->accept() : FChooser->reject(); }

private:
    QDialog *FChooser;
};

QIcon SwatchIcon(const QColor &color, const QSize &size)
{
    QPixmap pixmap(size);
    pixmap.fill(color.isValid() ? color : QColor(Qt::black));
    return QIcon(pixmap);
}

} // namespace

TFontColorDialog::TFontColorDialog(const TFontChoice &initial, QWidget *parent)
    : QDialog(parent), FFontDialog(new TFontPart(initial.Font, this)), FSwatch(new QPushButton(this)),
      FGiven(initial.Font)
{
    setWindowTitle(tr("Font"));

    // Without buttons and as a plain child widget the font dialog is only
    // its chooser part; our own OK/Cancel decide for both font and colour.
    // The native dialog cannot be embedded.
    FFontDialog->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    FFontDialog->setWindowFlags(Qt::Widget);
    FFontDialog->installEventFilter(this);
    FFontDialog->setCurrentFont(ShownFont(initial.Font));
    FOpened = FFontDialog->currentFont();

    auto *colorLabel = new QLabel(tr("&Color:"), this);
    colorLabel->setBuddy(FSwatch);
    FSwatch->setIconSize(QSize(48, 14));
    FSwatch->setToolTip(tr("Choose the colour of the text"));
    connect(FSwatch, &QPushButton::clicked, this, &TFontColorDialog::PickColor);

    auto *colorRow = new QHBoxLayout;
    colorRow->addWidget(colorLabel);
    colorRow->addWidget(FSwatch);
    colorRow->addStretch(1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(FFontDialog);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);

    SetColor(initial.Color.isValid() ? initial.Color : QColor(Qt::black));
    // Keys start in the list of families, as in a font dialog of its own,
    // not on the colour button, where Enter would open the colour chooser.
    if (auto *family = FFontDialog->findChild<QLineEdit *>())
        family->setFocus();
}

TFontChoice TFontColorDialog::Choice() const
{
    const QFont current = FFontDialog->currentFont();
    QFont font = current;
    if (current.family() == FOpened.family())
        font.setFamily(FGiven.family());
    if (current.pointSizeF() == FOpened.pointSizeF() && FGiven.pointSizeF() > 0)
        font.setPointSizeF(FGiven.pointSizeF());
    // The style's name would pick a face of the chooser's family; callers
    // take the weight and the slant.
    font.setStyleName(QString());
    if (current.weight() == FOpened.weight() && current.style() == FOpened.style()) {
        font.setWeight(FGiven.weight());
        font.setStyle(FGiven.style());
    }
    return TFontChoice{font, FColor};
}

bool TFontColorDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the font part's fields would look for a default button of
    // its own, which it has not: it is OK for the whole chooser.
    if (watched == FFontDialog && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = !key->modifiers() || key->modifiers() == Qt::KeypadModifier;
        if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFontColorDialog::SetColor(const QColor &color)
{
    if (!color.isValid())
        return;
    FColor = color;
    FSwatch->setIcon(SwatchIcon(color, FSwatch->iconSize()));
    FSwatch->setAccessibleName(color.name());
}

void TFontColorDialog::PickColor()
{
    const QColor chosen = QColorDialog::getColor(FColor, this, tr("Color"));
    if (chosen.isValid())
        SetColor(chosen);
}
