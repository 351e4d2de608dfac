#pragma once

#include <algorithm>
#include <cstddef>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// The calls a recording fake received, each as "name(arg,arg)".
class CallLog {
public:
    template <typename... Args>
    void record(std::string_view name, const Args&... args)
    {
        std::ostringstream text;
        text << name << '(';
        [[maybe_unused]] const char* separator = "";
        ((text << separator << args, separator = ","), ...);
        text << ')';
        m_calls.push_back(text.str());
    }

    const std::vector<std::string>& calls() const { return m_calls; }
    // How many calls had this name.
    size_t count(std::string_view name) const
    {
        return size_t(std::count_if(m_calls.begin(), m_calls.end(), [&](const std::string& c) {
            return c.size() > name.size() && c.compare(0, name.size(), name) == 0
                   && c[name.size()] == '(';
        }));
    }
    bool contains(std::string_view call) const
    {
        return std::find(m_calls.begin(), m_calls.end(), call) != m_calls.end();
    }
    void clear() { m_calls.clear(); }

private:
    std::vector<std::string> m_calls;
};

} // namespace rz
