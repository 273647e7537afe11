#include "platform/FontColorDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QIcon SwatchIcon(const QColor &color, const QSize &size)
{
    QPixmap pixmap(size);
    pixmap.fill(color.isValid() ? color : QColor(Qt::black));
    return QIcon(pixmap);
}

} // namespace

TFontColorDialog::TFontColorDialog(const TFontChoice &initial, QWidget *parent)
    : QDialog(parent)
    , FFontDialog(new QFontDialog(initial.Font, this))
    , FSwatch(new QPushButton(this))
{
    setWindowTitle(tr("Font"));

    // Without buttons and as a plain child widget the font dialog is only
    // its chooser part; our own OK/Cancel decide for both font and colour.
    // The native dialog cannot be embedded.
    FFontDialog->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    FFontDialog->setWindowFlags(Qt::Widget);
    FFontDialog->setCurrentFont(initial.Font);

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
}

TFontChoice TFontColorDialog::Choice() const
{
    return TFontChoice{FFontDialog->currentFont(), FColor};
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
