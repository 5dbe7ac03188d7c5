#pragma once

#include <chrono>

namespace sg {

// How long CFtpAgent waits for each thing it waits on. The defaults are the program's; tests set
// short ones.
struct FtpWaits {
    using Milliseconds = std::chrono::milliseconds;

    // One whole reply on the control connection, all its lines together.
    Milliseconds reply{30000};
    // Silence on a data connection while a listing or a file is read or sent.
    Milliseconds data{30000};
    // The server connecting back for a listing, and for a download or an upload.
    Milliseconds listConnect{15000};
    Milliseconds transferConnect{5000};
    // Opening the control connection and handing a command to the network.
    Milliseconds connect{10000};
};

}  // namespace sg
