#pragma once

// The whole public interface of kqsystem.

#include <kq/export.h>

#include <kq/Environment.h>
#include <kq/NumberFormatter.h>
#include <kq/NumberParser.h>
#include <kq/ProgramOptions.h>
#include <kq/SharedLibrary.h>
#include <kq/StringUtils.h>
#include <kq/nvCollection.h>

#include <kq/logger/ConsoleLogChannel.h>
#include <kq/logger/FileLogChannel.h>
#include <kq/logger/Logger.h>
#include <kq/logger/SimpleFormatter.h>
#include <kq/logger/SplitLogChannel.h>

#include <kq/io/SerialConfig.h>
#include <kq/io/SerialIO.h>
#include <kq/io/apdu.h>
#include <kq/io/pcsc.h>

#include <kq/ipc/MessageChannel.h>
#include <kq/ipc/SharedMemory.h>
#include <kq/ipc/SystemEvent.h>
#include <kq/ipc/SystemMutex.h>

#include <kq/win32/IsWow64.h>
#include <kq/win32/registry.h>
#if defined(_WIN32)
#  include <kq/win32/SecurityAttributes.h>
#endif
