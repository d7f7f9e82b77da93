#pragma once

#include <string>
#include <vector>

class ModelResults;

// The results of a solved model as one JSON document, for other programs:
//   nodes     in node order: number, x, y, displacement [dx, dy, rz],
//             reaction [Fx, Fy, Mz] (null for a node neither supported nor
//             prescribed);
//   elements  in element order: number, nodes [i, j], property, length,
//             end_forces_element_axes [N1, V1, M1, N2, V2, M2] and
//             end_forces_global_axes [Fx1, Fy1, Mz1, Fx2, Fy2, Mz2] as the
//             result files give them, max_moment, max_shear and
//             max_displacement as {value, x} (ABSmax(M), ABSmax(N) and Dmax
//             of the files);
//   warnings  the soft warnings of the run, in order.
// Numbers are written in full: the shortest text that reads back as the
// same double. JSON has no infinity and no NaN: such a value is null.
// Numbers are 0-based as in the files. The key names are fixed.
std::string ResultsJson(const ModelResults& results, const std::vector<std::string>& warnings);

// A double as JSON: shortest round-trip text, or null when not finite.
std::string JsonNumber(double value);
// A string as JSON, quoted, with its control characters, quotes and
// backslashes escaped (UTF-8 passes through).
std::string JsonString(const std::string& text);
