#include "app/InterfaceLanguage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

namespace tw {

namespace {

// Buttons whose captions change with the language; a null caption leaves
// the button as it is.
struct ButtonCaption {
    const char* name;
    const char* english;
    const char* chinese;
};
const ButtonCaption kButtonCaptions[] = {
    {"btcreatebat", "Create Shortcut File", "创建快捷方式"},
    {"Buttonadd", nullptr, "添加>"},
    {"Buttonaddall", nullptr, "添加全部>"},
    {"Button3", nullptr, "<去除"},
    {"Button4", nullptr, "<去除全部"},
    {"bthelp", nullptr, "帮助"},
};

void applyCaptions(QWidget& form, const CaptionTable& table)
{
    const QList<QWidget*> controls = form.findChildren<QWidget*>();
    for (QWidget* control : controls) {
        const QString caption = table.value(control->objectName());
        if (auto* label = qobject_cast<QLabel*>(control))
            label->setText(caption);
        else if (auto* box = qobject_cast<QGroupBox*>(control))
            box->setTitle(caption);
        else if (auto* check = qobject_cast<QCheckBox*>(control))
            check->setText(caption);
    }
}

void applyButtonCaptions(QWidget& form, bool chinese)
{
    for (const ButtonCaption& button : kButtonCaptions) {
        const char* caption = chinese ? button.chinese : button.english;
        auto* control = form.findChild<QAbstractButton*>(QLatin1String(button.name));
        if (caption && control)
            control->setText(QString::fromUtf8(caption));
    }
}

} // namespace

const CaptionTable& englishCaptions()
{
    static const CaptionTable table = CaptionTable::fromFile(QStringLiteral(":/captions/english.txt"));
    return table;
}

const CaptionTable& chineseCaptions()
{
    static const CaptionTable table = CaptionTable::fromFile(QStringLiteral(":/captions/chn.txt"));
    return table;
}

void applyLanguage(QWidget& form, const QString& code)
{
    if (code == QLatin1String("en")) {
        applyCaptions(form, englishCaptions());
        applyButtonCaptions(form, false);
    } else if (code == QLatin1String("cn")) {
        applyCaptions(form, chineseCaptions());
        applyButtonCaptions(form, true);
    }
}

QString languageFromEnvironment()
{
    const QString code = qEnvironmentVariable("TABLEWRIGHT_LANG");
    return code == QLatin1String("en") || code == QLatin1String("cn") ? code : QString();
}

} // namespace tw
