#include "bench/table.h"

#include <algorithm>
#include <cstdio>

namespace sw::bench {
namespace {

void PrintRow(const std::vector<std::string>& cells, const std::vector<size_t>& widths) {
    std::string line;
    for (size_t i = 0; i < widths.size(); ++i) {
        const std::string cell = i < cells.size() ? cells[i] : std::string();
        // The first column is text and aligns left, the figures align right.
        const std::string pad(widths[i] - cell.size(), ' ');
        line += i == 0 ? cell + pad : "  " + pad + cell;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    std::printf("%s\n", line.c_str());
}

} // namespace

Table::Table(std::string title, std::vector<std::string> headings)
    : m_title(std::move(title)), m_headings(std::move(headings)) {}

void Table::AddRow(std::vector<std::string> cells) {
    m_rows.push_back(std::move(cells));
}

void Table::AddNote(std::string note) {
    m_notes.push_back(std::move(note));
}

void Table::Print() const {
    std::vector<size_t> widths(m_headings.size(), 0);
    for (size_t i = 0; i < m_headings.size(); ++i)
        widths[i] = m_headings[i].size();
    for (const auto& row : m_rows) {
        for (size_t i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    }
    std::printf("\n%s\n", m_title.c_str());
    PrintRow(m_headings, widths);
    size_t total = 0;
    for (size_t width : widths)
        total += width + 2;
    std::printf("%s\n", std::string(total > 2 ? total - 2 : 0, '-').c_str());
    for (const auto& row : m_rows)
        PrintRow(row, widths);
    for (const std::string& note : m_notes)
        std::printf("  %s\n", note.c_str());
    std::fflush(stdout);
}

} // namespace sw::bench
