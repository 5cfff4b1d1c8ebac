#include "app/FollowLastLine.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

#include <memory>

void followLastLine(QAbstractScrollArea& view)
{
    QScrollBar* bar = view.verticalScrollBar();
    // Whether the view shows its end: every move of the bar, by the user or
    // by a change of the range, says so afresh.
    auto atEnd = std::make_shared<bool>(true);
    QObject::connect(bar, &QScrollBar::valueChanged, bar, [bar, atEnd](int value) { *atEnd = value == bar->maximum(); });
    QObject::connect(bar, &QScrollBar::rangeChanged, bar, [bar, atEnd](int, int maximum) {
        if (*atEnd)
            bar->setValue(maximum);
    });
}
