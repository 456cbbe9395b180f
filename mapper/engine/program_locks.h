// The named locks that keep the writers of the program folder's files one at
// a time. The mapper holds kMapperLock for its whole life. A zorvan command
// that changes files holds kFileCommandLock and then kMapperLock for the
// length of the command, so that it never races a running mapper; a mapper
// that finds kMapperLock taken tells from kFileCommandLock whether a command
// (rather than another mapper) has it.
#pragma once

namespace zv {

inline constexpr char kMapperLock[] = "DUVO_ZORVAN";
inline constexpr char kFileCommandLock[] = "DUVO_ZORVAN-COMMAND";

}  // namespace zv
