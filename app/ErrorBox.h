#pragma once

#include <QString>

class QWidget;

// The error box: stop icon, OK button, the application title as caption and
// the failure's message, with a full stop added when the message ends in a
// character whose code is above that of the full stop.
QString errorBoxText(const QString& message);
void showErrorBox(QWidget* parent, const QString& message);
