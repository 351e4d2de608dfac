#pragma once

#include "app/options/options_context.h"
#include "core/settings.h"

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QSpinBox;
class QRadioButton;

namespace rz {

// One page of the Options sheet. A page reads its values at its first
// showing and writes them only when the sheet closes with OK; a page never
// shown does neither. Most values are bound to a control by a table row;
// pages with rules of their own add them in the hooks.
class OptionsPage : public QWidget {
    Q_OBJECT

public:
    // A field outside its range: the sheet selects it and names the range.
    struct RangeFailure {
        QLineEdit* field = nullptr;
        int min = 0;
        int max = 0;
    };

    OptionsPage(OptionsContext& context, const char* caption, const char* helpTopic);

    const char* caption() const { return m_caption; }
    const char* helpTopic() const { return m_helpTopic; }
    bool loaded() const { return m_loaded; }

    // At the page's first showing; later calls do nothing.
    void ensureLoaded();
    std::optional<RangeFailure> validate() const;
    void store();

protected:
    enum class Kind { Check, Combo, Int, Text, Radio };
    // A control bound to a row of the settings table; `part` fills a
    // family's "{}". The default shown is the row's unless the page gives
    // one found at run time.
    struct Binding {
        Kind kind = Kind::Check;
        QWidget* widget = nullptr;
        const Setting* row = nullptr;
        std::string part;
        int defaultValue = 0;
        int min = 0; // the range an Int field accepts
        int max = 0;
        std::string defaultText;
        std::vector<QRadioButton*> radios;
    };

    static Binding bound(Kind kind, QWidget* widget, const Setting& row, int min = 0, int max = 0);
    QCheckBox* bindCheck(QBoxLayout* layout, const char* text, const Setting& row);
    QComboBox* bindCombo(QFormLayout* layout, const char* label, const std::vector<const char*>& items,
                         const Setting& row);
    // A spin box of `min`..`max` beside `edit`, kept in step both ways: a
    // step writes the field, a typed or loaded number in range moves the spin.
    QSpinBox* spinFor(QLineEdit* edit, int min, int max);
    QLineEdit* bindInt(QFormLayout* layout, const char* label, const Setting& row, int min,
                       int max);
    QLineEdit* bindText(QFormLayout* layout, const char* label, const Setting& row, int maxLength,
                        std::string_view part = {}, std::optional<std::string> defaultText = {});
    void bindRadios(const std::vector<QRadioButton*>& radios, const Setting& row);

    // A value a bound control starts from; pages whose values have a
    // run-time copy answer with the copy.
    virtual std::optional<int> runtimeValue(const Setting& /*row*/) const { return std::nullopt; }
    virtual void loadMore() {}
    virtual std::optional<RangeFailure> validateMore() const { return std::nullopt; }
    virtual void storeMore() {}
    // Skips the bound value when the page writes it itself.
    virtual bool storesItself(const Setting& /*row*/) const { return false; }

    static int intOf(const QLineEdit* edit, bool* ok = nullptr);

    OptionsContext& m_context;

private:
    void loadBinding(const Binding& binding);
    void storeBinding(const Binding& binding);

    const char* m_caption;
    const char* m_helpTopic;
    bool m_loaded = false;
    std::vector<Binding> m_bindings;
};

} // namespace rz
