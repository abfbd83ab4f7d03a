/* This folder is OrvaneTavolin's stand-in for the host's SDK headers, written for orvane-host:
 * its suite tables hold only the functions the plug-in calls and its records are laid out for
 * that host. A module built against it must never be loaded by the application.
 *
 * This file declares nothing and no source includes it. Its presence marks the folder (or a copy
 * of it): an application build (ORVANE_SDK_DIR) that finds it refuses to install the module. */
