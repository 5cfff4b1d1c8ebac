#pragma once

#include <QWidget>

namespace Ui {
class Taaform1;
}

// The wizard window: the program's main window.
class Taaform1 : public QWidget {
    Q_OBJECT
public:
    explicit Taaform1(QWidget* parent = nullptr);
    ~Taaform1() override;

private:
    Ui::Taaform1* ui;
};
