#pragma once

#include "cli/CliCommand.h"

namespace sg {

// "ftp --host H[:PORT] --user U --password P [--cd DIR] ls | get REMOTE LOCAL |
// put LOCAL [REMOTE]": one FTP session as the FTP Center runs it.
CliCommand FtpCommand();

}  // namespace sg
