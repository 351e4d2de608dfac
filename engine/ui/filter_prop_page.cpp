#include "engine/ui/filter_prop_page.h"

#include "engine/audio/audio_filter.h"

#include <QCheckBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>

#include <cmath>
#include <limits>

namespace rz {

namespace {

constexpr int kUnboundedInteger = 1000000;

bool bounded(const LadspaControl& control)
{
    return control.lower && control.upper && *control.upper > *control.lower;
}

bool logScale(const LadspaControl& control)
{
    return control.logarithmic && bounded(control) && *control.lower > 0.0f;
}

QString valueText(float value)
{
    return QString::number(double(value), 'g', 6);
}

} // namespace

int CFilterPropPage::sliderPosition(const LadspaControl& control, float value)
{
    if (!bounded(control))
        return 0;
    const double lower = *control.lower;
    const double upper = *control.upper;
    const double share = logScale(control) ? std::log(value / lower) / std::log(upper / lower)
                                           : (value - lower) / (upper - lower);
    return int(std::lround(std::clamp(share, 0.0, 1.0) * kSliderSteps));
}

float CFilterPropPage::sliderValue(const LadspaControl& control, int position)
{
    if (!bounded(control))
        return control.defaultValue;
    const double share = double(position) / kSliderSteps;
    const double lower = *control.lower;
    const double upper = *control.upper;
    const double value = logScale(control) ? lower * std::pow(upper / lower, share)
                                           : lower + (upper - lower) * share;
    return control.clamp(float(value));
}

CFilterPropPage::CFilterPropPage(LadspaFilter& filter, QWidget* parent)
    : QWidget(parent), m_filter(filter), m_rows(filter.info().controls.size())
{
    auto* form = new QFormLayout(this);
    const std::vector<LadspaControl>& controls = filter.info().controls;
    for (size_t i = 0; i < controls.size(); ++i)
        if (!controls[i].output)
            form->addRow(QString::fromStdString(controls[i].name) + ":", buildRow(i));
    refresh();
}

QWidget* CFilterPropPage::buildRow(size_t index)
{
    const LadspaControl& control = m_filter.info().controls[index];
    Row& row = m_rows[index];
    if (control.toggled) {
        row.check = new QCheckBox(this);
        connect(row.check, &QCheckBox::toggled, this,
                [this, index](bool on) { set(index, on ? 1.0f : 0.0f); });
        return row.check;
    }
    if (control.integer) {
        row.spin = new QSpinBox(this);
        row.spin->setRange(control.lower ? int(std::ceil(*control.lower)) : -kUnboundedInteger,
                           control.upper ? int(std::floor(*control.upper)) : kUnboundedInteger);
        connect(row.spin, &QSpinBox::valueChanged, this,
                [this, index](int value) { set(index, float(value)); });
        return row.spin;
    }
    row.edit = new QLineEdit(this);
    row.edit->setValidator(new QDoubleValidator(row.edit));
    connect(row.edit, &QLineEdit::editingFinished, this, [this, index] {
        bool ok = false;
        const float value = m_rows[index].edit->text().toFloat(&ok);
        set(index, ok ? value : m_filter.control(index));
    });
    if (!bounded(control))
        return row.edit;
    row.slider = new QSlider(Qt::Horizontal, this);
    row.slider->setRange(0, kSliderSteps);
    connect(row.slider, &QSlider::valueChanged, this, [this, index](int position) {
        set(index, sliderValue(m_filter.info().controls[index], position));
    });
    auto* both = new QWidget(this);
    auto* layout = new QHBoxLayout(both);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(row.slider, 3);
    layout->addWidget(row.edit, 1);
    return both;
}

void CFilterPropPage::set(size_t index, float value)
{
    if (m_showing)
        return;
    m_filter.setControl(index, value);
    showValue(index);
}

void CFilterPropPage::refresh()
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        showValue(i);
}

void CFilterPropPage::showValue(size_t index)
{
    const float value = m_filter.control(index);
    const Row& row = m_rows[index];
    m_showing = true;
    if (row.check)
        row.check->setChecked(value > 0.0f);
    if (row.spin)
        row.spin->setValue(int(std::lround(value)));
    if (row.slider)
        row.slider->setValue(sliderPosition(m_filter.info().controls[index], value));
    if (row.edit)
        row.edit->setText(valueText(value));
    m_showing = false;
}

} // namespace rz
