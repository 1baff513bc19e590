#pragma once
// The quality table beside each table: one row per row of the table, in the
// same order, led by the same keys, so the two can be pasted side by side.

#include <cstdint>
#include <string>

#include "input/program_variant.hpp"
#include "platform/table_file.hpp"
#include "quality/window_quality.hpp"

namespace field {

/// The quality table's file name for a table's file name: "X.txt" gives "X QC.txt".
std::string qualityTableName(const std::string& tableName);

/// What a quality row holds beside the quality itself.
struct QualityRowKeys {
    std::int32_t testCaseId = 0;  // casetable only
    std::int32_t dayIndex = 0;
    std::int32_t beginMinute = 0;
    std::int32_t endMinute = 0;       // as the table prints it
    std::int32_t windowMinutes = 0;   // the length of the window asked for
    std::int32_t stationRecords = 0;  // fieldjoin only
};

/// Writes the column-name row and the unit row.
void writeQualityHeader(TableRows& table, Program program);

/// Writes one row (when the table is open).
void writeQualityRow(TableRows& table, Program program, const QualityRowKeys& keys, const WindowRecord& record,
                     const WindowQuality& quality);

}  // namespace field
