#include "model/AppState.h"

namespace sg {

AppState& App() {
    static AppState state;
    return state;
}

}  // namespace sg
