#pragma once

// Registers the launcher's QML modules, once per process: "com.kv.settings",
// "com.kv.dialog" and "com.kv.common" 1.0, the last with the type
// QmlCommonConfigs. The models of the settings and close pages add their
// types to the first two here.
void registerQmlModules();
