#include "sim/loader/ribbon_markup.h"

#include <algorithm>

namespace sw::sim {
namespace {

bool IsCallbackAttribute(const std::wstring& name) {
    return name == L"onLoad" || name == L"onAction" || name.rfind(L"get", 0) == 0;
}

} // namespace

std::vector<RibbonElement> ParseRibbonMarkup(const std::wstring& xml) {
    std::vector<RibbonElement> elements;
    size_t pos = 0;
    while ((pos = xml.find(L'<', pos)) != std::wstring::npos) {
        const size_t end = xml.find(L'>', pos);
        if (end == std::wstring::npos)
            break;
        std::wstring tag = xml.substr(pos + 1, end - pos - 1);
        pos = end + 1;
        if (tag.empty() || tag[0] == L'/' || tag[0] == L'?' || tag[0] == L'!')
            continue;
        if (tag.back() == L'/')
            tag.pop_back();
        RibbonElement element;
        size_t i = tag.find_first_of(L" \t\r\n");
        element.tag = tag.substr(0, i);
        while (i != std::wstring::npos && i < tag.size()) {
            i = tag.find_first_not_of(L" \t\r\n", i);
            if (i == std::wstring::npos)
                break;
            const size_t equals = tag.find(L'=', i);
            const size_t open = equals == std::wstring::npos ? equals : tag.find(L'"', equals);
            const size_t close = open == std::wstring::npos ? open : tag.find(L'"', open + 1);
            if (close == std::wstring::npos)
                break;
            element.attributes[tag.substr(i, equals - i)] = tag.substr(open + 1, close - open - 1);
            i = close + 1;
        }
        elements.push_back(std::move(element));
    }
    return elements;
}

std::vector<std::wstring> RibbonCallbackNames(const std::vector<RibbonElement>& elements) {
    std::vector<std::wstring> names;
    for (const RibbonElement& element : elements) {
        for (const auto& [attribute, value] : element.attributes) {
            if (IsCallbackAttribute(attribute) &&
                std::find(names.begin(), names.end(), value) == names.end())
                names.push_back(value);
        }
    }
    return names;
}

} // namespace sw::sim
