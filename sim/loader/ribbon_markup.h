// What the simulated host reads from an add-in's ribbon document: every
// control with its id and the names of its callbacks.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace sw::sim {

struct RibbonElement {
    std::wstring tag;                                // "button", "group", ...
    std::map<std::wstring, std::wstring> attributes; // name -> value, as written
};

// The elements of `xml` in document order (opening and self-closing tags).
std::vector<RibbonElement> ParseRibbonMarkup(const std::wstring& xml);

// The callback names the document refers to (onLoad, onAction, getImage,
// getEnabled, ...), each once.
std::vector<std::wstring> RibbonCallbackNames(const std::vector<RibbonElement>& elements);

} // namespace sw::sim
