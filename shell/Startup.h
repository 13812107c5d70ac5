#pragma once

// The program's start-up, in its fixed order, and the clean-up after the event loop.
int RunApplication();
void PrepareApplication();
void RegisterFileTypes();
void CreateAppObject();
void InstallAppMenuHandlers();
void FrameworkInitCallback();
void OpenDefaultWindow();
void ReleaseModuleState();
