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

#include <kq/win32/IsWow64.h>
#include <kq/win32/registry.h>
