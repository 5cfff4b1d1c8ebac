#pragma once

#include <QAbstractButton>

// A picture that acts as a button: it draws its icon over its whole area and
// reports a click like any button.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
