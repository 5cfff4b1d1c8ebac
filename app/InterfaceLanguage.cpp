#include "app/InterfaceLanguage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>

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

// A check box caption wider than the box is broken at blanks into lines
// that fit (a button draws the line breaks of its text); the form gives
// such a box the height of its lines.
QString fittedCaption(const QCheckBox& check, const QString& caption)
{
    const QStyle* style = check.style();
    const int room = check.width() - style->pixelMetric(QStyle::PM_IndicatorWidth)
        - style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    // Measured as the box measures its text for its size hint.
    const QFontMetrics metrics = check.fontMetrics();
    const auto fits = [&](const QString& text) { return metrics.size(Qt::TextShowMnemonic, text).width() <= room; };
    if (fits(caption))
        return caption;
    QStringList lines;
    QString line;
    for (const QString& word : caption.split(QLatin1Char(' '))) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && !fits(longer)) {
            lines.append(line);
            line = word;
        } else {
            line = longer;
        }
    }
    lines.append(line);
    return lines.join(QLatin1Char('\n'));
}

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
            check->setText(fittedCaption(*check, caption));
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
