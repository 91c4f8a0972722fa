#include "report_command.h"

#include "toolkit/program_control.h"

namespace brivadoro {

CommandLineAnswer reportDiary(const Settings& /*settings*/, const ReportRequest& /*request*/) {
    return {ExitStatus::Failure, {}, {}};
}

} // namespace brivadoro
