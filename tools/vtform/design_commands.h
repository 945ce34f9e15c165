#pragma once
// vtform's designer commands, built on the design-time unit's registrations
// and editors (Windows build only):
//   vtform --palette [--out DIR]
//   vtform --props FORM COMPONENT
//   vtform --set FORM COMPONENT.PROPERTY=VALUE [--out FORM2]
//   vtform --load-movie FORM LIST ITEM FILE [--out FORM2]

#include <filesystem>
#include <ostream>
#include <vector>

namespace vtform {

// Runs a designer command (Args[0] is the command). Messages the editors
// would show in a message box go to Err as errors. Returns the exit status:
// 0 done, 1 failed (nothing written), 2 usage error.
int RunDesign(const std::vector<std::filesystem::path>& Args, std::ostream& Out, std::ostream& Err);

}  // namespace vtform
