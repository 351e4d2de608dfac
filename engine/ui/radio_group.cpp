#include "engine/ui/radio_group.h"

#include <QButtonGroup>
#include <QLayout>
#include <QRadioButton>

namespace rz {

QRadioButton* addRadio(QButtonGroup* group, QLayout* layout, const char* text, int id, const char* name)
{
    auto* radio = new QRadioButton(text);
    radio->setObjectName(name);
    group->addButton(radio, id);
    layout->addWidget(radio);
    return radio;
}

void checkRadio(QButtonGroup* group, int id)
{
    if (QAbstractButton* button = group->button(id))
        button->setChecked(true);
}

void enableRadio(QButtonGroup* group, int id, bool on)
{
    if (QAbstractButton* button = group->button(id))
        button->setEnabled(on);
}

} // namespace rz
