#pragma once

#include <QLineEdit>
#include <QRadioButton>

namespace tw {

// Windows authentication needs no login name or password: the two fields are
// enabled only while the SQL Server login is chosen.
inline void bindLoginFields(QRadioButton* windowsAuthentication, QLineEdit* loginName, QLineEdit* password)
{
    QObject::connect(windowsAuthentication, &QRadioButton::toggled, loginName, [=](bool windows) {
        loginName->setEnabled(!windows);
        password->setEnabled(!windows);
    });
}

} // namespace tw
