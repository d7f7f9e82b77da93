#pragma once

#include "support/TestSupport.h"

#include <sstream>
#include <string>
#include <vector>

// The numbers of a result file as text, line by line: the fields after the
// "N:" of every table row, and the value and position of every summary
// line ("ABSmax(M) = ", "Dmax = ").
struct ResultFileRows {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::vector<std::string>> summaries;

    explicit ResultFileRows(const std::string& path)
    {
        std::istringstream lines(ReadFile(path));
        std::string line;
        while (std::getline(lines, line)) {
            const std::size_t colon = line.find(':');
            const std::size_t equals = line.find(" = ");
            if (equals != std::string::npos) {
                // "   ABSmax(M) =         6.55667         , x =               4"
                std::istringstream fields(line.substr(equals + 3));
                std::string value, comma, x, eq, position;
                fields >> value >> comma >> x >> eq >> position;
                summaries.push_back({value, position});
            } else if (colon != std::string::npos && line.find_first_not_of(" 0123456789") == colon) {
                std::istringstream fields(line.substr(colon + 1));
                std::vector<std::string> row;
                std::string field;
                while (fields >> field)
                    row.push_back(field);
                rows.push_back(row);
            }
        }
    }
};
