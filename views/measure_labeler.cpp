#include "views/measure_labeler.h"

#include <algorithm>
#include <cctype>

namespace rz {
namespace {

constexpr int kLabelRoom = 4; // pixels beyond the text

} // namespace

std::string MeasureLabeler::labelText(const MeasureRec& measure)
{
    std::string text;
    const char letter = char(std::toupper(static_cast<unsigned char>(measure.letter)));
    if (measure.number != 0)
        text = std::to_string(measure.number);
    if (letter != 0)
        text += letter;
    return text;
}

int MeasureLabeler::apply(MeasureMap& map, int32_t gridTicks, const TextWidth& textWidth)
{
    const int64_t grid = std::max<int32_t>(gridTicks, 1);
    int labels = 0;
    size_t candidate = 0;
    int candidateWidth = map.empty() ? 0 : textWidth(labelText(map[0]));
    int64_t sum = 0;
    for (size_t i = 0; i < map.size(); ++i) {
        map[i].label = false;
        sum += std::max<int32_t>(map[i].length, 0);
        if (sum / grid > candidateWidth + kLabelRoom) {
            map[candidate].label = true;
            ++labels;
            candidate = i + 1;
            sum = 0;
            if (candidate < map.size())
                candidateWidth = textWidth(labelText(map[candidate]));
        }
    }
    return labels;
}

} // namespace rz
