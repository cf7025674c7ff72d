#pragma once

#include "parameter_config/descriptor.hpp"

#include <cstddef>
#include <functional>
#include <string>

// Placing and reading the fields of one record: shared by OBJECT and the three
// array formats, which differ only in how they cut the input into records.
namespace orx::parameters::composite {

// What became of writing one record, JSON to hex.
enum class write_outcome {
    COMPLETE,        // every field was placed
    MEMBER_MISSING,  // a field's member is absent; the fields before it stay placed
    FAILED,          // a field gave no value, its text was refused, or merging at one offset failed
};

// Sees a field's hex text before it is placed; false fails the record.
using field_text_check = std::function<bool(const descriptor& field, boost::string_view text)>;

// Writes the members of `record` through the fields of `composite` as one record
// starting at the current end of `out`. Each field lands at 2 * offset characters
// from the record start; a gap is filled with "0"; fields sharing the offset of the
// field placed just before them are ORed into it.
write_outcome write_record(const descriptor& composite, const Json::Value& record, std::string& out,
                           const field_text_check& check = nullptr);

// What reading does with a field whose offset lies beyond the record's text.
enum class offset_beyond_text {
    END_WALK,  // a field at or past the last whole byte ends the record
    RAISE,     // past the end raises std::out_of_range "string_view::substr"
};

// Hex length of a field that has no "size", given the record's text from the
// field's offset on and the record built so far; npos takes the rest of the text.
using unsized_field_length =
    std::function<std::size_t(const descriptor& field, boost::string_view rest, Json::Value& record)>;

// Reads one record out of `text`: one member per field that gives a value, named by
// the field's jname. JSON null when no field gave a value.
Json::Value read_record(const descriptor& composite, boost::string_view text, offset_beyond_text beyond,
                        const unsized_field_length& unsized_length = nullptr);

// Whether `field` is the variable-length part of its record in the format `type_name`
// ("HEXVAR" in ARRAYVAR, "STR" in VARIABLE_SIZE_ARRAY): that format and no "size".
bool is_variable_part(const descriptor& field, boost::string_view type_name);

}  // namespace orx::parameters::composite
