#pragma once

// Build constants generated at configure time.
namespace orx::libs::core::constants {

extern const char* const git_version;
extern const char* const git_subversion;
extern const char* const library_name;
extern const char* const project_name;
// The source root without a trailing separator; the prefix of the project's __FILE__ paths.
extern const char* const source_directory;

}  // namespace orx::libs::core::constants
