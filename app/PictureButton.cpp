#include "app/PictureButton.h"

#include <QPainter>

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

QSize PictureButton::sizeHint() const
{
    return iconSize();
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    icon().paint(&painter, rect());
}
