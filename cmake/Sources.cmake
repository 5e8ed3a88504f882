# The one source list of the portable core, shared by the native and the
# Windows build so the two can never drift apart.
set(VANTORA_CORE_SOURCES
    src/tracklog/text_writer.cpp
    src/tracklog/time_values.cpp
    src/tracklog/track_point.cpp
    src/tracklog/stored_fix.cpp
    src/tracklog/log_points.cpp
    src/tracklog/log_file_record.cpp
    src/tracklog/nmea_numbers.cpp
    src/tracklog/nmea_sentences.cpp
    src/tracklog/nmea_fixes.cpp
    src/tracklog/nmea_fix_assembly.cpp
    src/tracklog/nmea_reader.cpp
    src/tracklog/gpx_time.cpp
    src/tracklog/gpx_handler.cpp
    src/tracklog/gpx_track.cpp
    src/tracklog/gpx_reader.cpp
    src/tracklog/track_reader.cpp
    src/tracklog/path_text.cpp
    src/tracklog/log_span_index.cpp
    src/tracklog/track_span_scan.cpp
    src/tracklog/log_list.cpp
    src/photo/position_fields.cpp
    src/photo/photo_list.cpp
    src/photo/camera.cpp
    src/photo/match_reason.cpp
    src/photo/reason_wording.cpp
    src/photo/matching.cpp
    src/photo/clock_finder.cpp
    src/photo/clock_question.cpp
    src/photo/photo_sources.cpp
    src/photo/photo_batch.cpp
    src/photo/exif_file.cpp
    src/photo/photo_reading.cpp
    src/photo/photo_writing.cpp
    src/photo/write_report.cpp
    src/photo/detail_table.cpp
    src/photo/xmp_markup.cpp
    src/photo/xmp_parsed.cpp
    src/photo/xmp_text.cpp
    src/photo/xmp_values.cpp
    src/photo/xmp_sidecar.cpp
    src/photo/sidecar_values.cpp
    src/photo/photo_preview.cpp
    src/export/kml_writer.cpp
    src/export/kml_pictures.cpp
    src/export/file_names.cpp
    src/platform/program_folder.cpp
    src/unit/text_file_lines.cpp
    src/unit/unit_layout.cpp
    src/unit/log_list_view.cpp
    src/unit/log_registration.cpp
    src/unit/log_store.cpp
    src/unit/unit_logs.cpp
    src/unit/unit_detection.cpp
)

if(WIN32)
    list(APPEND VANTORA_CORE_SOURCES
        src/platform/code_page_windows.cpp
        src/platform/xml_parser_windows.cpp
        src/platform/xml_input_stream_windows.cpp
        src/platform/program_folder_windows.cpp
        src/platform/store_files_windows.cpp
        src/platform/unit_drives_windows.cpp
        src/platform/device_change_windows.cpp
        src/export/google_earth_windows.cpp
        src/export/show_in_google_earth_windows.cpp)
    # The registry reads and the shell's "open" of the Google Earth launch.
    set(VANTORA_CORE_WIN32_LIBS advapi32 shell32 shlwapi)
else()
    list(APPEND VANTORA_CORE_SOURCES
        src/platform/code_page_posix.cpp
        src/platform/xml_parser_expat.cpp
        src/platform/program_folder_posix.cpp
        src/platform/store_files_posix.cpp)
    # GPX files are parsed by expat natively (XmlLite, loaded at run time,
    # in the Windows build).
    find_package(EXPAT REQUIRED)
    set(VANTORA_CORE_POSIX_LIBS EXPAT::EXPAT)
endif()

# The Windows program: its window framework, windows, controls and drawing.
# Built only for Windows, on top of the core.
if(WIN32)
    set(VANTORA_PROGRAM_SOURCES
        src/ui/dpi.cpp
        src/ui/dialog.cpp
        src/ui/list_view.cpp
        src/ui/layout.cpp
        src/app/user_dialogs_windows.cpp
        src/app/shared_commands.cpp
        src/app/import_window.cpp
        src/app/application.cpp
        src/windows/adjust_time_diff_dialog.cpp
        src/app/progress_window.cpp
        src/controls/skin_images.cpp
        src/controls/skinned_drawing.cpp
        src/controls/arrow_button.cpp
        src/app/about_dialog.cpp
        src/controls/photo_list_control.cpp
        src/controls/preview_picture.cpp
        src/windows/photo_detail_dialog.cpp
        src/windows/adjust_shooting_date_dialog.cpp
        src/windows/photo_window.cpp
    )
endif()
