// Natural order of names with numbers in them.
#include "devices/natural_order.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t digitRunEnd(std::string_view text, std::size_t from)
{
    while (from < text.size() && isDigit(text[from]))
        ++from;
    return from;
}

// -1, 0 or 1 for the digit runs a and b: by value, then by length.
int compareNumbers(std::string_view a, std::string_view b)
{
    const auto significant = [](std::string_view run) {
        const std::size_t first = run.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view() : run.substr(first);
    };
    const std::string_view valueA = significant(a);
    const std::string_view valueB = significant(b);
    if (valueA.size() != valueB.size())
        return valueA.size() < valueB.size() ? -1 : 1;
    if (const int order = valueA.compare(valueB))
        return order < 0 ? -1 : 1;
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return 0;
}

} // namespace

bool NaturalLess(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::size_t endA = digitRunEnd(a, i);
            const std::size_t endB = digitRunEnd(b, j);
            if (const int order = compareNumbers(a.substr(i, endA - i), b.substr(j, endB - j)))
                return order < 0;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}
