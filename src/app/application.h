#pragma once
// The application object: prepares the process, makes sure only one copy
// of the program runs, and runs the import window for the life of the
// process.

namespace vantora {

class CVantoraGPSAppApp {
public:
    // Always false: the process ends when it returns.
    bool InitInstance();
};

}  // namespace vantora
