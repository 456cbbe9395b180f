#include "cli/zorvan.h"

#include <ostream>

#include "cli/arguments.h"
#include "cli/help.h"
#include "mapper/shell/startup_steps.h"

namespace zv::cli {

int RunZorvan(const std::vector<std::string>& args, System& system, const TerminalPerson::Terminal& terminal,
              std::ostream& out) {
  Invocation call;
  try {
    call = ParseArguments(args);
  } catch (const UsageError& error) {
    terminal.err << error.what() << '\n' << std::flush;
    return kUsage;
  }
  if (call.help) {
    out << RenderText(call.command != nullptr ? CommandHelp(*call.command)
                      : call.group.empty()    ? ProgramHelp()
                                              : GroupHelp(call.group))
        << std::flush;
    return kDone;
  }
  if (call.version) {
    out << "zorvan " << kVersionText << '\n' << std::flush;
    return kDone;
  }
  TerminalPerson person(terminal, call.yes);
  person.SetForce(call.force);
  try {
    const int code = RunCommand(call, system, person, out);
    out.flush();
    return code;
  } catch (const UsageError& error) {
    // An argument only the command itself can judge (a path that names no file).
    out.flush();
    terminal.err << error.what() << '\n' << std::flush;
    return kUsage;
  } catch (const std::exception& error) {
    out.flush();
    person.Say(std::string("error: ") + error.what() +
               ". The command stopped there; every file is written whole or not at all, so none is left "
               "half-written. Mend the cause and run the command again.");
    return kFailed;
  }
}

int ExitAfterOutput(int code, bool failed, bool broken_pipe, const std::string& reason, std::ostream& err) {
  if (!failed) return code;
  if (!broken_pipe) {
    err << "zorvan: error: the output could not be written to standard output (" << reason
        << "), so it is incomplete. Make room or choose another place for it and run the command again.\n"
        << std::flush;
  }
  return kFailed;
}

}  // namespace zv::cli
