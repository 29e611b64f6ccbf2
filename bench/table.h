// A plain text table with aligned columns, printed to standard output.
#pragma once

#include <string>
#include <vector>

namespace sw::bench {

class Table {
public:
    Table(std::string title, std::vector<std::string> headings);

    void AddRow(std::vector<std::string> cells);
    // A line of text printed under the table.
    void AddNote(std::string note);
    void Print() const;

private:
    std::string m_title;
    std::vector<std::string> m_headings;
    std::vector<std::vector<std::string>> m_rows;
    std::vector<std::string> m_notes;
};

} // namespace sw::bench
