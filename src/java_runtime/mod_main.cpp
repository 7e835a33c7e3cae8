#include "java_runtime/mod_main.h"

namespace pellatone {

// No runtime is searched for yet: the launch falls back on the bare "java".
void FindJavaRuntime(StartupContext& context) { context.JavaHomeFolder.clear(); }

}  // namespace pellatone
