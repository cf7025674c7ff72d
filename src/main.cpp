#include "application.hpp"
#include "config.hpp"
#include "configuration_check.hpp"
#include "descriptor_limit.hpp"
#include "supervision.hpp"

#include <core/constants.hpp>
#include <core/core.hpp>
#include <core/events_loop.hpp>
#include <core/get_config_file_name.hpp>
#include <core/logger.hpp>
#include <core/pid_file.hpp>

#include <csignal>
#include <iostream>
#include <memory>

namespace {

// -t: says what the service would refuse at start-up, on standard error as a
// failed start does, or "configuration ok"; what it would warn of comes first.
int report_configuration_check(const std::string& file_name, orx::libs::core::logger& logger) {
    const auto report = orx::check_configuration(file_name, logger);
    for (const auto& warning : report.warnings)
        std::cerr << "tarnwick: warning: " << warning << std::endl;
    for (const auto& problem : report.problems)
        std::cerr << "tarnwick: " << problem << std::endl;
    if (!report.problems.empty())
        return 1;
    std::cout << "configuration ok" << std::endl;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace orx::libs;
    // A reader of standard error that went away (local debug mode into a pipe)
    // must not end the service: such writes fail and are passed over.
    std::signal(SIGPIPE, SIG_IGN);
    // SIGHUP reloads once the service runs; until then, and while it stops, it
    // must not end the process either.
    std::signal(SIGHUP, SIG_IGN);
    core::logger logger("tarnwick", "main");

    // Released in reverse order of these declarations, whatever ends the run; the
    // pid file lock goes last, so that no other instance starts while this one
    // still holds its endpoints.
    std::unique_ptr<core::pid_file> pid_file;
    std::unique_ptr<orx::config> configuration;
    core::core::ptr core_instance;
    core::events_loop::ptr events_loop;
    core::events_loop::signals_handle::ptr signals;
    std::unique_ptr<orx::supervision> supervision;
    std::unique_ptr<orx::application> application;
    core::events_loop::signal_watch::ptr reload_signal;

    bool running = false;
    try {
        const auto options = core::parse_command_line(argc, argv);
        if (options.version) {
            std::cout << core::constants::project_name << ' ' << core::constants::git_version << '.'
                      << core::constants::git_subversion << std::endl;
            return 0;
        }
        if (options.check_only)
            return report_configuration_check(options.config_file, logger);

        configuration = std::make_unique<orx::config>(orx::load_config_file(options.config_file));
        logger.connect(configuration->system.debug_port,
                       orx::client_keys_for(*configuration, configuration->system.debug_port));
        logger.set_debug(configuration->system.local_debug);
        orx::raise_descriptor_limit(logger);
        core_instance = core::core::create(logger);
        events_loop = core_instance->create_events_loop("main loop");
        pid_file = std::make_unique<core::pid_file>(configuration->system.pidfile_path);
        signals = events_loop->stop_on_signals();
        supervision = std::make_unique<orx::supervision>(*events_loop, logger);
        application = std::make_unique<orx::application>(*events_loop, *configuration, logger, *supervision);
        reload_signal = events_loop->on_signal(
            SIGHUP, [&] { application->reload(); }, CORE_CURRENT_LOCATION);
        running = true;
        events_loop->run_catch_exceptions(CORE_CURRENT_LOCATION);
        supervision->stopping();
        logger.info("exit");
        return 0;
    } catch (...) {
        logger.log_exception();
        // Outside debug mode the log does not reach the terminal: a start that
        // failed says why there too.
        if (!running && !logger.is_debug())
            std::cerr << "tarnwick: " << core::exception_to_string() << std::endl;
        // A start that failed is a failure for supervisors; a stop after running is not.
        return running ? 0 : 1;
    }
}
