// The locks that keep the writers of the program folder's files one at a
// time. The mapper holds kMapperLock for its whole life: one mapper runs at
// a time, whatever its folder. Every writer of a program folder's files,
// the mapper for its whole life and a zorvan command that changes files
// for the length of the command, holds that folder's lock
// (Host::AcquireFolderLock), saying who it is; so writers of different
// program folders never wait for each other, and one that finds the lock
// taken can name its holder (Host::FolderLockHolder).
#pragma once

namespace zv {

inline constexpr char kMapperLock[] = "DUVO_ZORVAN";
// How the mapper names itself as the holder of its program folder's lock.
inline constexpr char kMapperHolder[] = "Zorvan32";

}  // namespace zv
