#include "app/WindowFrame.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tw {

QFont designFont()
{
#ifdef Q_OS_WIN
    QFont font(QStringLiteral("Microsoft Sans Serif"));
#else
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
#endif
    font.setPointSize(8);
    return font;
}

void setUpWindowFrame(QWidget& window)
{
    window.setFont(designFont());
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window.setFixedSize(window.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

} // namespace tw
