<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CommandLine</name>
    <message>
        <source>Run as a program of this kind of desktop session, x11 or wayland, instead of the one the session says it is.</source>
        <translation>Run as a program of this kind of desktop session, x11 or wayland, instead of the one the session says it is.</translation>
    </message>
    <message>
        <source>--session takes x11 or wayland, not '%1'.</source>
        <translation>--session takes x11 or wayland, not '%1'.</translation>
    </message>
    <message>
        <source>Stop the recording of the running program.</source>
        <translation>Stop the recording of the running program.</translation>
    </message>
    <message>
        <source>--capture and --stop cannot go together.</source>
        <translation>--capture and --stop cannot go together.</translation>
    </message>
    <message>
        <source>Open the capture in the running program, starting the program first if it is not running.</source>
        <translation>Open the capture in the running program, starting the program first if it is not running.</translation>
    </message>
    <message>
        <source>Records an area of the screen to a video and shares the video's link.</source>
        <translation>Records an area of the screen to a video and shares the video's link.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Settings...</source>
        <translation>Settings...</translation>
    </message>
    <message>
        <source>One recording has not been saved or uploaded. Quit anyway? It will be offered again at the next start.</source>
        <translation>One recording has not been saved or uploaded. Quit anyway? It will be offered again at the next start.</translation>
    </message>
    <message>
        <source>%1 recordings have not been saved or uploaded. Quit anyway? They will be offered again at the next start.</source>
        <translation>%1 recordings have not been saved or uploaded. Quit anyway? They will be offered again at the next start.</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>No program could open the folder %1.</source>
        <translation>No program could open the folder %1.</translation>
    </message>
    <message>
        <source>On this desktop the record button cannot stay at the edge of the screen, so it is not shown. Open the capture from the tray icon, or bind clipnest --capture in the desktop's keyboard settings.</source>
        <translation>On this desktop the record button cannot stay at the edge of the screen, so it is not shown. Open the capture from the tray icon, or bind clipnest --capture in the desktop's keyboard settings.</translation>
    </message>
    <message>
        <source>There is no system tray here. Bind clipnest --capture in the desktop's keyboard settings to open the capture.</source>
        <translation>There is no system tray here. Bind clipnest --capture in the desktop's keyboard settings to open the capture.</translation>
    </message>
    <message>
        <source>A recording is under way. Stop it from the tray icon before starting another one.</source>
        <translation>A recording is under way. Stop it from the tray icon before starting another one.</translation>
    </message>
    <message>
        <source>There is no system tray here: use the record button, or bind a keyboard shortcut to clipnest --capture</source>
        <translation>There is no system tray here: use the record button, or bind a keyboard shortcut to clipnest --capture</translation>
    </message>
    <message>
        <source>This is a Wayland session. Clipnest records the screen through X11, so here it sees only the windows of X11 programs; everything else records as black.</source>
        <translation>This is a Wayland session. Clipnest records the screen through X11, so here it sees only the windows of X11 programs; everything else records as black.</translation>
    </message>
    <message>
        <source>To record the whole screen, log out and choose an X11 (Xorg) session on the login screen.</source>
        <translation>To record the whole screen, log out and choose an X11 (Xorg) session on the login screen.</translation>
    </message>
    <message>
        <source>A recording is under way. Stop it with its Stop recording button before starting another one.</source>
        <translation>A recording is under way. Stop it with its Stop recording button before starting another one.</translation>
    </message>
    <message>
        <source>Delete recording</source>
        <translation>Delete recording</translation>
    </message>
    <message>
        <source>Delete this recording for good? It has not been uploaded or saved anywhere else.</source>
        <translation>Delete this recording for good? It has not been uploaded or saved anywhere else.</translation>
    </message>
    <message>
        <source>A recording cut short when Clipnest last ended was recovered: find it in the history.</source>
        <translation>A recording cut short when Clipnest last ended was recovered: find it in the history.</translation>
    </message>
    <message>
        <source>%1 recordings cut short when Clipnest last ended were recovered: find them in the history.</source>
        <translation>%1 recordings cut short when Clipnest last ended were recovered: find them in the history.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>FAQ</source>
        <translation>FAQ</translation>
    </message>
    <message>
        <source>History</source>
        <translation>History</translation>
    </message>
    <message>
        <source>Languages</source>
        <translation>Interface language</translation>
    </message>
    <message>
        <source>Record video</source>
        <translation>Record video</translation>
    </message>
    <message>
        <source>Show/hide record button</source>
        <translation>Show/hide record button</translation>
    </message>
</context>
<context>
    <name>CountdownMenu</name>
    <message>
        <source>Countdown</source>
        <translation>Countdown</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
</context>
<context>
    <name>KeyboardShortcuts</name>
    <message>
        <source>This desktop gives programs no key combinations of their own. Set %1 in the desktop's keyboard settings to run "%2".</source>
        <translation>This desktop gives programs no key combinations of their own. Set %1 in the desktop's keyboard settings to run "%2".</translation>
    </message>
    <message>
        <source>Keyboard shortcuts...</source>
        <translation>Keyboard shortcuts...</translation>
    </message>
    <message>
        <source>Another program already uses %1.</source>
        <translation>Another program already uses %1.</translation>
    </message>
    <message>
        <source>This keyboard has no key for %1.</source>
        <translation>This keyboard has no key for %1.</translation>
    </message>
    <message>
        <source>Key combinations need an X11 display.</source>
        <translation>Key combinations need an X11 display.</translation>
    </message>
    <message>
        <source>No key combination starts a capture now.</source>
        <translation>No key combination starts a capture now.</translation>
    </message>
    <message>
        <source>A capture still starts with %1.</source>
        <translation>A capture still starts with %1.</translation>
    </message>
    <message>
        <source>No key combination stops the recording now.</source>
        <translation>No key combination stops the recording now.</translation>
    </message>
    <message>
        <source>The recording still stops with %1.</source>
        <translation>The recording still stops with %1.</translation>
    </message>
</context>
<context>
    <name>ShortcutEdit</name>
    <message>
        <source>%1 would be taken from every program: add Ctrl, Alt or Super.</source>
        <translation>%1 would be taken from every program: add Ctrl, Alt or Super.</translation>
    </message>
    <message>
        <source>This key cannot be a shortcut.</source>
        <translation>This key cannot be a shortcut.</translation>
    </message>
</context>
<context>
    <name>ShortcutDialog</name>
    <message>
        <source>%1 is taken by another program (the window manager?). Choose another combination.</source>
        <translation>%1 is taken by another program (the window manager?). Choose another combination.</translation>
    </message>
    <message>
        <source>Use %1</source>
        <translation>Use %1</translation>
    </message>
    <message>
        <source>This desktop keeps key combinations for itself. Bind them in the desktop's keyboard settings to the commands clipnest --capture and clipnest --stop.</source>
        <translation>This desktop keeps key combinations for itself. Bind them in the desktop's keyboard settings to the commands clipnest --capture and clipnest --stop.</translation>
    </message>
    <message>
        <source>%1 is already the other shortcut.</source>
        <translation>%1 is already the other shortcut.</translation>
    </message>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Keyboard shortcuts</translation>
    </message>
    <message>
        <source>Start a capture:</source>
        <translation>Start a capture:</translation>
    </message>
    <message>
        <source>Stop the recording:</source>
        <translation>Stop the recording:</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Click a field and press the new key combination. Backspace leaves none.</source>
        <translation>Click a field and press the new key combination. Backspace leaves none.</translation>
    </message>
    <message>
        <source>Some desktops keep key combinations for themselves. There, bind one in the desktop's keyboard settings to the command: clipnest --capture</source>
        <translation>Some desktops keep key combinations for themselves. There, bind one in the desktop's keyboard settings to the command: clipnest --capture</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CropCtrl</name>
    <message>
        <source>Share to Reddit</source>
        <translation>Share to Reddit</translation>
    </message>
    <message>
        <source>Whole screen</source>
        <translation>Whole screen</translation>
    </message>
    <message>
        <source>Use the last area</source>
        <translation>Use the last area</translation>
    </message>
    <message>
        <source>Enter to use the last area</source>
        <translation>Enter to use the last area</translation>
    </message>
    <message>
        <source>Click to type an exact size and position, such as 1280x720 at 100,200</source>
        <translation>Click to type an exact size and position, such as 1280x720 at 100,200</translation>
    </message>
    <message>
        <source>Can not open file</source>
        <translation>Can not open file</translation>
    </message>
    <message>
        <source>Share error</source>
        <translation>Share error</translation>
    </message>
    <message>
        <source>Upload error</source>
        <translation>Upload error</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>Screen sharing</source>
        <translation>Screen sharing</translation>
    </message>
    <message>
        <source>This desktop records one monitor at a time. Select an area that lies on one monitor.</source>
        <translation>This desktop records one monitor at a time. Select an area that lies on one monitor.</translation>
    </message>
    <message>
        <source>Recording finished</source>
        <translation>Recording finished</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>Record with sound</source>
        <translation>Record with sound</translation>
    </message>
    <message>
        <source>Save video to computer</source>
        <translation>Save video to computer</translation>
    </message>
    <message>
        <source>Select the area</source>
        <translation>Select the area</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>Share</translation>
    </message>
    <message>
        <source>Share to facebook</source>
        <translation>Share to Facebook</translation>
    </message>
    <message>
        <source>Share to google+</source>
        <translation>Share to Google+</translation>
    </message>
    <message>
        <source>Share to twitter</source>
        <translation>Share to Twitter</translation>
    </message>
    <message>
        <source>Stop recording</source>
        <translation>Stop recording</translation>
    </message>
    <message>
        <source>Finishing the video…</source>
        <translation>Finishing the video…</translation>
    </message>
    <message>
        <source>Upload video to server</source>
        <translation>Upload video to server</translation>
    </message>
    <message>
        <source>Can not create the folder for the recording %1: %2</source>
        <translation>Can not create the folder for the recording %1: %2</translation>
    </message>
    <message>
        <source>Can not use the folder for the recording %1: %2</source>
        <translation>Can not use the folder for the recording %1: %2</translation>
    </message>
    <message>
        <source>The folder for the recording %1 is not a private folder of yours. Remove it and try again.</source>
        <translation>The folder for the recording %1 is not a private folder of yours. Remove it and try again.</translation>
    </message>
    <message>
        <source>Can not remove %1, which is in the way of the recording: %2</source>
        <translation>Can not remove %1, which is in the way of the recording: %2</translation>
    </message>
    <message>
        <source>Pause recording</source>
        <translation>Pause recording</translation>
    </message>
    <message>
        <source>Resume recording</source>
        <translation>Resume recording</translation>
    </message>
</context>
<context>
    <name>Encoder</name>
    <message>
        <source>The file %1 cannot be read as a video: %2.</source>
        <translation>The file %1 cannot be read as a video: %2.</translation>
    </message>
    <message>
        <source>The file %1 holds nothing that can be played.</source>
        <translation>The file %1 holds nothing that can be played.</translation>
    </message>
    <message>
        <source>The recording %1 cannot be read.</source>
        <translation>The recording %1 cannot be read.</translation>
    </message>
    <message>
        <source>Out of memory: there is no room for the screen pictures.</source>
        <translation>Out of memory: there is no room for the screen pictures.</translation>
    </message>
    <message>
        <source>Out of memory: a screen picture could not be stored.</source>
        <translation>Out of memory: a screen picture could not be stored.</translation>
    </message>
    <message>
        <source>Out of memory: a screen picture could not be repeated.</source>
        <translation>Out of memory: a screen picture could not be repeated.</translation>
    </message>
    <message>
        <source>Out of memory: a coded picture could not be kept.</source>
        <translation>Out of memory: a coded picture could not be kept.</translation>
    </message>
    <message>
        <source>The sound encoder failed while finishing: %1.</source>
        <translation>The sound encoder failed while finishing: %1.</translation>
    </message>
    <message>
        <source>Cannot convert the screen pictures for the encoder.</source>
        <translation>Cannot convert the screen pictures for the encoder.</translation>
    </message>
    <message>
        <source>Out of memory.</source>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <source>Cannot read back the recording %1: %2.</source>
        <translation>Cannot read back the recording %1: %2.</translation>
    </message>
    <message>
        <source>The MP4 writer is not available.</source>
        <translation>The MP4 writer is not available.</translation>
    </message>
    <message>
        <source>Cannot copy the streams of %1.</source>
        <translation>Cannot copy the streams of %1.</translation>
    </message>
    <message>
        <source>The disk is full (%1): the recording %2 was kept as it was recorded, which most players play but browsers may not seek.</source>
        <translation>The disk is full (%1): the recording %2 was kept as it was recorded, which most players play but browsers may not seek.</translation>
    </message>
    <message>
        <source>Finishing the recording %1 failed: %2. The file was kept as it was recorded.</source>
        <translation>Finishing the recording %1 failed: %2. The file was kept as it was recorded.</translation>
    </message>
    <message>
        <source>Cannot replace %1 with the finished recording: %2.</source>
        <translation>Cannot replace %1 with the finished recording: %2.</translation>
    </message>
    <message>
        <source>The disk is full (%1): the recording stopped. The file %2 keeps what was recorded so far; free some space before recording again.</source>
        <translation>The disk is full (%1): the recording stopped. The file %2 keeps what was recorded so far; free some space before recording again.</translation>
    </message>
    <message>
        <source>Writing the video file %1 failed: %2. The recording stopped.</source>
        <translation>Writing the video file %1 failed: %2. The recording stopped.</translation>
    </message>
    <message>
        <source>Cannot create the video file %1: %2. Check that the folder %3 exists and that you may write to it.</source>
        <translation>Cannot create the video file %1: %2. Check that the folder %3 exists and that you may write to it.</translation>
    </message>
    <message>
        <source>Cannot start the MP4 file: %1.</source>
        <translation>Cannot start the MP4 file: %1.</translation>
    </message>
    <message>
        <source>The H.264 encoder (libx264) is not available.</source>
        <translation>The H.264 encoder (libx264) is not available.</translation>
    </message>
    <message>
        <source>The H.264 encoder refused the settings: %1.</source>
        <translation>The H.264 encoder refused the settings: %1.</translation>
    </message>
    <message>
        <source>Cannot add the picture to the MP4 file.</source>
        <translation>Cannot add the picture to the MP4 file.</translation>
    </message>
    <message>
        <source>The sound encoder (%1) is not available.</source>
        <translation>The sound encoder (%1) is not available.</translation>
    </message>
    <message>
        <source>Sound with %1 channels cannot be encoded; use 1 or 2.</source>
        <translation>Sound with %1 channels cannot be encoded; use 1 or 2.</translation>
    </message>
    <message>
        <source>The sound is read at %1 Hz but should be encoded at %2 Hz; use the same rate for both.</source>
        <translation>The sound is read at %1 Hz but should be encoded at %2 Hz; use the same rate for both.</translation>
    </message>
    <message>
        <source>The sound encoder refused the settings: %1.</source>
        <translation>The sound encoder refused the settings: %1.</translation>
    </message>
    <message>
        <source>Cannot add the sound to the MP4 file.</source>
        <translation>Cannot add the sound to the MP4 file.</translation>
    </message>
    <message>
        <source>Cannot convert the sound for the encoder: %1.</source>
        <translation>Cannot convert the sound for the encoder: %1.</translation>
    </message>
    <message>
        <source>Encoding failed: %1.</source>
        <translation>Encoding failed: %1.</translation>
    </message>
    <message>
        <source>The H.264 encoder failed: %1.</source>
        <translation>The H.264 encoder failed: %1.</translation>
    </message>
    <message>
        <source>Converting the sound failed.</source>
        <translation>Converting the sound failed.</translation>
    </message>
    <message>
        <source>The sound encoder failed: %1.</source>
        <translation>The sound encoder failed: %1.</translation>
    </message>
    <message>
        <source>Mixing the sound inputs failed.</source>
        <translation>Mixing the sound inputs failed.</translation>
    </message>
</context>
<context>
    <name>HistoryWidget</name>
    <message>
        <source>Remove from history</source>
        <translation>Remove from history</translation>
    </message>
    <message>
        <source>Remove this link from the history? The video stays on the service: anyone who has the link can still watch it.</source>
        <translation>Remove this link from the history? The video stays on the service: anyone who has the link can still watch it.</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>History</source>
        <translation>History</translation>
    </message>
    <message>
        <source>There are no items</source>
        <translation>There are no items</translation>
    </message>
</context>
<context>
    <name>HistoryWidgetItem</name>
    <message>
        <source>Save the video</source>
        <translation>Save the video</translation>
    </message>
    <message>
        <source>Open the folder of the video</source>
        <translation>Open the folder of the video</translation>
    </message>
    <message>
        <source>Remove from history (the video stays on the service)</source>
        <translation>Remove from history (the video stays on the service)</translation>
    </message>
    <message>
        <source>Recorded %1, uploaded %2</source>
        <translation>Recorded %1, uploaded %2</translation>
    </message>
    <message>
        <source>Uploaded %1</source>
        <translation>Uploaded %1</translation>
    </message>
    <message>
        <source>Copy to clipboard</source>
        <translation>Copy to clipboard</translation>
    </message>
    <message>
        <source>Open link in browser</source>
        <translation>Open link in browser</translation>
    </message>
    <message>
        <source>Remove record</source>
        <translation>Remove record</translation>
    </message>
</context>
<context>
    <name>HistoryRecordingItem</name>
    <message>
        <source>waiting to retry (next try in %1)</source>
        <translation>waiting to retry (next try in %1)</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>waiting to upload</source>
        <translation>waiting to upload</translation>
    </message>
    <message>
        <source>The last try failed: %1</source>
        <translation>The last try failed: %1</translation>
    </message>
    <message>
        <source>Retry now</source>
        <translation>Retry now</translation>
    </message>
    <message>
        <source>not uploaded</source>
        <translation>not uploaded</translation>
    </message>
    <message>
        <source>upload failed: %1</source>
        <translation>upload failed: %1</translation>
    </message>
    <message>
        <source>uploading</source>
        <translation>uploading</translation>
    </message>
    <message>
        <source>recovered</source>
        <translation>recovered</translation>
    </message>
    <message>
        <source>recording</source>
        <translation>recording</translation>
    </message>
    <message>
        <source>Upload again</source>
        <translation>Upload again</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>StartupRecovery</name>
    <message>
        <source>The recording %1 left by an earlier version of Clipnest could not be moved to the recordings: %2</source>
        <translation>The recording %1 left by an earlier version of Clipnest could not be moved to the recordings: %2</translation>
    </message>
    <message>
        <source>A recording cut short when Clipnest last ended could not be recovered: %1 The file was kept; you can delete it in the history.</source>
        <translation>A recording cut short when Clipnest last ended could not be recovered: %1 The file was kept; you can delete it in the history.</translation>
    </message>
</context>
<context>
    <name>HttpUploader</name>
    <message>
        <source>The upload service at %1 took the video but did not finish its answer within %2 seconds. Please try again later.</source>
        <translation>The upload service at %1 took the video but did not finish its answer within %2 seconds. Please try again later.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link that has characters no link holds (such as spaces, quotes or angle brackets); it was not used.</source>
        <translation>The upload service at %1 answered with a link that has characters no link holds (such as spaces, quotes or angle brackets); it was not used.</translation>
    </message>
    <message>
        <source>the service's certificate or encryption was not accepted</source>
        <translation>the service's certificate or encryption was not accepted</translation>
    </message>
    <message>
        <source>the upload was cancelled</source>
        <translation>the upload was cancelled</translation>
    </message>
    <message>
        <source>access was denied</source>
        <translation>access was denied</translation>
    </message>
    <message>
        <source>the address is not on the service</source>
        <translation>the address is not on the service</translation>
    </message>
    <message>
        <source>the service's answer could not be understood</source>
        <translation>the service's answer could not be understood</translation>
    </message>
    <message>
        <source>the network reported a failure</source>
        <translation>the network reported a failure</translation>
    </message>
    <message>
        <source>the program's settings</source>
        <translation>the program's settings</translation>
    </message>
    <message>
        <source>The upload service at %1 points to another address: %2. Uploads are not sent on; if that is the right service, put its address in the "Service host" setting in %3.</source>
        <translation>The upload service at %1 points to another address: %2. Uploads are not sent on; if that is the right service, put its address in the "Service host" setting in %3.</translation>
    </message>
    <message>
        <source>The upload service at %1 points to another address without naming it (status %2). Check the "Service host" setting in %3.</source>
        <translation>The upload service at %1 points to another address without naming it (status %2). Check the "Service host" setting in %3.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered: %2</source>
        <translation>The upload service at %1 answered: %2</translation>
    </message>
    <message>
        <source>The upload service at %1 has a problem (status %2). Please try again later.</source>
        <translation>The upload service at %1 has a problem (status %2). Please try again later.</translation>
    </message>
    <message>
        <source>The upload service at %1 is busy. Please try again later.</source>
        <translation>The upload service at %1 is busy. Please try again later.</translation>
    </message>
    <message>
        <source>The upload service at %1 gave up waiting for the video. Please try again later.</source>
        <translation>The upload service at %1 gave up waiting for the video. Please try again later.</translation>
    </message>
    <message>
        <source>The upload service at %1 wants an access token. Put it in the "Service token" setting in %2.</source>
        <translation>The upload service at %1 wants an access token. Put it in the "Service token" setting in %2.</translation>
    </message>
    <message>
        <source>The upload service at %1 refused the video (status %2).</source>
        <translation>The upload service at %1 refused the video (status %2).</translation>
    </message>
    <message>
        <source>The upload service at %1 does not answer. Is it running? The address is the "Service host" setting in %2.</source>
        <translation>The upload service at %1 does not answer. Is it running? The address is the "Service host" setting in %2.</translation>
    </message>
    <message>
        <source>The host of the upload service at %1 is not known. Check the network connection and the "Service host" setting in %2.</source>
        <translation>The host of the upload service at %1 is not known. Check the network connection and the "Service host" setting in %2.</translation>
    </message>
    <message>
        <source>The upload service at %1 closed the connection before it answered. Please try again later.</source>
        <translation>The upload service at %1 closed the connection before it answered. Please try again later.</translation>
    </message>
    <message>
        <source>The upload service at %1 took too long to answer. Please try again later.</source>
        <translation>The upload service at %1 took too long to answer. Please try again later.</translation>
    </message>
    <message>
        <source>The upload service at %1 cannot be reached. Check the network connection and try again later.</source>
        <translation>The upload service at %1 cannot be reached. Check the network connection and try again later.</translation>
    </message>
    <message>
        <source>The secure connection to the upload service at %1 failed: %2</source>
        <translation>The secure connection to the upload service at %1 failed: %2</translation>
    </message>
    <message>
        <source>The upload to %1 failed: %2</source>
        <translation>The upload to %1 failed: %2</translation>
    </message>
    <message>
        <source>The upload service at %1 answered without a link.</source>
        <translation>The upload service at %1 answered without a link.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with something that is not a link.</source>
        <translation>The upload service at %1 answered with something that is not a link.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link that has spaces or control characters in it; it was not used.</source>
        <translation>The upload service at %1 answered with a link that has spaces or control characters in it; it was not used.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link longer than %2 bytes; it was not used.</source>
        <translation>The upload service at %1 answered with a link longer than %2 bytes; it was not used.</translation>
    </message>
    <message>
        <source>The upload service at %1 answered with a link without a host name; it was not used.</source>
        <translation>The upload service at %1 answered with a link without a host name; it was not used.</translation>
    </message>
    <message>
        <source>The upload service at %1 stopped answering for %2 seconds. Please try again later.</source>
        <translation>The upload service at %1 stopped answering for %2 seconds. Please try again later.</translation>
    </message>
    <message>
        <source>The upload service at %1 sent an answer too long to be a link.</source>
        <translation>The upload service at %1 sent an answer too long to be a link.</translation>
    </message>
    <message>
        <source>The upload address "%1" is not usable. Check the "Service host" setting.</source>
        <translation>The upload address "%1" is not usable. Check the "Service host" setting.</translation>
    </message>
    <message>
        <source>The "Service token" setting in %1 holds characters a token cannot have: only letters, digits and visible punctuation, without spaces.</source>
        <translation>The "Service token" setting in %1 holds characters a token cannot have: only letters, digits and visible punctuation, without spaces.</translation>
    </message>
    <message>
        <source>There is no video to upload.</source>
        <translation>There is no video to upload.</translation>
    </message>
</context>
<context>
    <name>ProgressWidget</name>
    <message>
        <source>Loading, please wait...</source>
        <translation>Loading, please wait...</translation>
    </message>
</context>
<context>
    <name>Recorder</name>
    <message>
        <source>Finishing the recording %1 failed. The file was kept as it was recorded.</source>
        <translation>Finishing the recording %1 failed. The file was kept as it was recorded.</translation>
    </message>
    <message>
        <source>The recording %1 is still being finished; record into another file.</source>
        <translation>The recording %1 is still being finished; record into another file.</translation>
    </message>
    <message>
        <source>A recording is already under way; stop it before starting another one.</source>
        <translation>A recording is already under way; stop it before starting another one.</translation>
    </message>
    <message>
        <source>No screen grabber is set.</source>
        <translation>No screen grabber is set.</translation>
    </message>
    <message>
        <source>No sound grabber is set.</source>
        <translation>No sound grabber is set.</translation>
    </message>
    <message>
        <source>Video codec %1 is not available; use H.264.</source>
        <translation>Video codec %1 is not available; use H.264.</translation>
    </message>
    <message>
        <source>Pixel format %1 is not available; use YUV 4:2:0.</source>
        <translation>Pixel format %1 is not available; use YUV 4:2:0.</translation>
    </message>
    <message>
        <source>Audio codec %1 is not available; use MP3 or AAC.</source>
        <translation>Audio codec %1 is not available; use MP3 or AAC.</translation>
    </message>
    <message>
        <source>Sample format %1 is not the sound grabber's; leave it to the encoder.</source>
        <translation>Sample format %1 is not the sound grabber's; leave it to the encoder.</translation>
    </message>
    <message>
        <source>No file to record into is set.</source>
        <translation>No file to record into is set.</translation>
    </message>
    <message>
        <source>The area to record is empty (%1 x %2 pixels). Select an area of at least 1 x 1 pixel.</source>
        <translation>The area to record is empty (%1 x %2 pixels). Select an area of at least 1 x 1 pixel.</translation>
    </message>
    <message>
        <source>The sound stopped: %1 The recording goes on, silent until the sound comes back.</source>
        <translation>The sound stopped: %1 The recording goes on, silent until the sound comes back.</translation>
    </message>
</context>
<context>
    <name>RecordingSaver</name>
    <message>
        <source>Can not read the recording %1.</source>
        <translation>Can not read the recording %1.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: there is no such folder.</source>
        <translation>Can not save the recording as %1: there is no such folder.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: you may not write to that folder.</source>
        <translation>Can not save the recording as %1: you may not write to that folder.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: that disk can only be read.</source>
        <translation>Can not save the recording as %1: that disk can only be read.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: the disk is full.</source>
        <translation>Can not save the recording as %1: the disk is full.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: that is a folder.</source>
        <translation>Can not save the recording as %1: that is a folder.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1: the name is too long.</source>
        <translation>Can not save the recording as %1: the name is too long.</translation>
    </message>
    <message>
        <source>Can not save the recording as %1.</source>
        <translation>Can not save the recording as %1.</translation>
    </message>
    <message>
        <source>%1 is the recording itself.</source>
        <translation>%1 is the recording itself.</translation>
    </message>
    <message>
        <source>Can not read the recording %1: %2</source>
        <translation>Can not read the recording %1: %2</translation>
    </message>
    <message>
        <source>Can not save the recording to %1: %2</source>
        <translation>Can not save the recording to %1: %2</translation>
    </message>
    <message>
        <source>Saving to %1 was cancelled.</source>
        <translation>Saving to %1 was cancelled.</translation>
    </message>
    <message>
        <source>The recording %1 is not there any more.</source>
        <translation>The recording %1 is not there any more.</translation>
    </message>
</context>
<context>
    <name>RecordingStore</name>
    <message>
        <source>%1 is not one of the recordings in %2.</source>
        <translation>%1 is not one of the recordings in %2.</translation>
    </message>
    <message>
        <source>Can not create the folder for recordings %1: %2</source>
        <translation>Can not create the folder for recordings %1: %2</translation>
    </message>
    <message>
        <source>Can not create the recording file %1: %2</source>
        <translation>Can not create the recording file %1: %2</translation>
    </message>
    <message>
        <source>Can not delete the recording %1: %2</source>
        <translation>Can not delete the recording %1: %2</translation>
    </message>
    <message>
        <source>Can not find a free name for a new recording in %1.</source>
        <translation>Can not find a free name for a new recording in %1.</translation>
    </message>
    <message>
        <source>Can not remove %1, which is in the way of the recording: %2</source>
        <translation>Can not remove %1, which is in the way of the recording: %2</translation>
    </message>
    <message>
        <source>Can not use the folder for recordings %1: %2</source>
        <translation>Can not use the folder for recordings %1: %2</translation>
    </message>
    <message>
        <source>Only %1 is free for recordings in %2. A long recording may not fit.</source>
        <translation>Only %1 is free for recordings in %2. A long recording may not fit.</translation>
    </message>
    <message>
        <source>Only %1 is free for recordings in %2. Free some space there and try again.</source>
        <translation>Only %1 is free for recordings in %2. Free some space there and try again.</translation>
    </message>
    <message>
        <source>The folder for recordings %1 is not a private folder of yours. Remove it and try again.</source>
        <translation>The folder for recordings %1 is not a private folder of yours. Remove it and try again.</translation>
    </message>
    <message>
        <source>What became of each recording could not be written to %1: %2</source>
        <translation>What became of each recording could not be written to %1: %2</translation>
    </message>
</context>
<context>
    <name>UploadQueue</name>
    <message>
        <source>the file is missing</source>
        <translation>the file is missing</translation>
    </message>
    <message>
        <source>Can not read the recording %1: %2</source>
        <translation>Can not read the recording %1: %2</translation>
    </message>
    <message>
        <source>The pending uploads could not be read from %1: %2</source>
        <translation>The pending uploads could not be read from %1: %2</translation>
    </message>
    <message>
        <source>The pending uploads could not be written to %1: %2</source>
        <translation>The pending uploads could not be written to %1: %2</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>the file is empty</translation>
    </message>
    <message>
        <source>Service temporarily not working. Please try again later</source>
        <translation>Service temporarily not working. Please try again later</translation>
    </message>
</context>
<context>
    <name>RecordingSession</name>
    <message>
        <source>A recording is already under way. Stop it before starting another one.</source>
        <translation>A recording is already under way. Stop it before starting another one.</translation>
    </message>
    <message>
        <source>Audio capture error</source>
        <translation>Audio capture error</translation>
    </message>
    <message>
        <source>Encoder error</source>
        <translation>Encoder error</translation>
    </message>
</context>
<context>
    <name>SnapshotButton</name>
    <message>
        <source>Press to record video</source>
        <translation>Press to record video</translation>
    </message>
    <message>
        <source>Show/hide record button</source>
        <translation>Show/hide record button</translation>
    </message>
</context>
<context>
    <name>UploadController</name>
    <message>
        <source>The upload service address "%1" is not usable. Put a host name (host:port) or an http:// or https:// address under "%2" in the settings.</source>
        <translation>The upload service address "%1" is not usable. Put a host name (host:port) or an http:// or https:// address under "%2" in the settings.</translation>
    </message>
    <message>
        <source>Service address</source>
        <translation>Service address</translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation>Settings...</translation>
    </message>
    <message>
        <source>Video uploaded</source>
        <translation>Video uploaded</translation>
    </message>
    <message>
        <source>The link to your video is ready: %1</source>
        <translation>The link to your video is ready: %1</translation>
    </message>
    <message>
        <source>Copy link</source>
        <translation>Copy link</translation>
    </message>
    <message>
        <source>Service temporarily not working. Please try again later</source>
        <translation>Service temporarily not working. Please try again later</translation>
    </message>
    <message>
        <source>The upload service address "%1" is not usable. Put a host name (host:port) or an http:// or https:// address under "%2" in %3.</source>
        <translation>The upload service address "%1" is not usable. Put a host name (host:port) or an http:// or https:// address under "%2" in %3.</translation>
    </message>
    <message>
        <source>Upload error</source>
        <translation>Upload error</translation>
    </message>
    <message>
        <source>The recording %1 holds no video that can be read; it was not uploaded.</source>
        <translation>The recording %1 holds no video that can be read; it was not uploaded.</translation>
    </message>
    <message>
        <source>The recording %1 is not there any more.</source>
        <translation>The recording %1 is not there any more.</translation>
    </message>
    <message>
        <source>The recording is kept, and Clipnest tries again by itself.</source>
        <translation>The recording is kept, and Clipnest tries again by itself.</translation>
    </message>
    <message>
        <source>A recording could not be uploaded: %1</source>
        <translation>A recording could not be uploaded: %1</translation>
    </message>
    <message>
        <source>Video link copied to clipboard</source>
        <translation>Video link copied to clipboard</translation>
    </message>
</context>
<context>
    <name>ScreenGrabber</name>
    <message>
        <source>The area to record is empty (%1 x %2 pixels). Select an area of at least 1 x 1 pixel.</source>
        <translation>The area to record is empty (%1 x %2 pixels). Select an area of at least 1 x 1 pixel.</translation>
    </message>
    <message>
        <source>Cannot reserve shared memory for the screen pictures: %1.</source>
        <translation>Cannot reserve shared memory for the screen pictures: %1.</translation>
    </message>
    <message>
        <source>Cannot map shared memory for the screen pictures: %1.</source>
        <translation>Cannot map shared memory for the screen pictures: %1.</translation>
    </message>
    <message>
        <source>The X server cannot share memory with this program (error %1). Screen recording needs a local X display.</source>
        <translation>The X server cannot share memory with this program (error %1). Screen recording needs a local X display.</translation>
    </message>
    <message>
        <source>The connection to the X display was lost.</source>
        <translation>The connection to the X display was lost.</translation>
    </message>
    <message>
        <source>The screen is now %1 x %2 pixels; the recorded area (%3 x %4 at %5, %6) no longer fits on it.</source>
        <translation>The screen is now %1 x %2 pixels; the recorded area (%3 x %4 at %5, %6) no longer fits on it.</translation>
    </message>
    <message>
        <source>The X server refused to hand over the screen picture (error %1).</source>
        <translation>The X server refused to hand over the screen picture (error %1).</translation>
    </message>
    <message>
        <source>No X display is set (DISPLAY is empty), so the screen cannot be recorded.</source>
        <translation>No X display is set (DISPLAY is empty), so the screen cannot be recorded.</translation>
    </message>
    <message>
        <source>Cannot connect to the X display "%1", so the screen cannot be recorded. Check that the X server is running.</source>
        <translation>Cannot connect to the X display "%1", so the screen cannot be recorded. Check that the X server is running.</translation>
    </message>
    <message>
        <source>The X display %1 has no screen %2.</source>
        <translation>The X display %1 has no screen %2.</translation>
    </message>
    <message>
        <source>The X display "%1" cannot share memory with programs (no MIT-SHM), which screen recording needs.</source>
        <translation>The X display "%1" cannot share memory with programs (no MIT-SHM), which screen recording needs.</translation>
    </message>
    <message>
        <source>The screen uses %1 bits per pixel; only 32-bit screens can be recorded.</source>
        <translation>The screen uses %1 bits per pixel; only 32-bit screens can be recorded.</translation>
    </message>
    <message>
        <source>The area to record (%1 x %2 at %3, %4) does not lie on the screen of %5 x %6 pixels.</source>
        <translation>The area to record (%1 x %2 at %3, %4) does not lie on the screen of %5 x %6 pixels.</translation>
    </message>
    <message>
        <source>The connection to PipeWire was lost: %1</source>
        <translation>The connection to PipeWire was lost: %1</translation>
    </message>
    <message>
        <source>The screen sharing was ended.</source>
        <translation>The screen sharing was ended.</translation>
    </message>
    <message>
        <source>The screen sharing failed: %1</source>
        <translation>The screen sharing failed: %1</translation>
    </message>
    <message>
        <source>The screen sharing offers its pictures in a form this program cannot read.</source>
        <translation>The screen sharing offers its pictures in a form this program cannot read.</translation>
    </message>
    <message>
        <source>Cannot start PipeWire, which brings the shared screen.</source>
        <translation>Cannot start PipeWire, which brings the shared screen.</translation>
    </message>
    <message>
        <source>Cannot connect to the shared screen through PipeWire: %1</source>
        <translation>Cannot connect to the shared screen through PipeWire: %1</translation>
    </message>
    <message>
        <source>The screen sharing sent no picture format within %1 seconds.</source>
        <translation>The screen sharing sent no picture format within %1 seconds.</translation>
    </message>
    <message>
        <source>The shared screen is %1 x %2 pixels; the area to record (%3 x %4 at %5, %6) does not lie on it.</source>
        <translation>The shared screen is %1 x %2 pixels; the area to record (%3 x %4 at %5, %6) does not lie on it.</translation>
    </message>
    <message>
        <source>The screen sharing sends its pictures in memory this program cannot read.</source>
        <translation>The screen sharing sends its pictures in memory this program cannot read.</translation>
    </message>
    <message>
        <source>The screen sharing sent no picture within %1 milliseconds.</source>
        <translation>The screen sharing sent no picture within %1 milliseconds.</translation>
    </message>
</context>
<context>
    <name>AudioGrabber</name>
    <message>
        <source>Cannot start the sound connection.</source>
        <translation>Cannot start the sound connection.</translation>
    </message>
    <message>
        <source>Cannot reach the sound server (%1), so the microphone cannot be recorded. Check that PulseAudio is running, or record without sound.</source>
        <translation>Cannot reach the sound server (%1), so the microphone cannot be recorded. Check that PulseAudio is running, or record without sound.</translation>
    </message>
    <message>
        <source>There is no sound source number %1 (%2). Connect a microphone, or record without sound.</source>
        <translation>There is no sound source number %1 (%2). Connect a microphone, or record without sound.</translation>
    </message>
    <message>
        <source>There is no microphone to record from (%1). Connect one, or record without sound.</source>
        <translation>There is no microphone to record from (%1). Connect one, or record without sound.</translation>
    </message>
    <message>
        <source>The microphone cannot be opened: %1. Record without sound, or check the sound settings.</source>
        <translation>The microphone cannot be opened: %1. Record without sound, or check the sound settings.</translation>
    </message>
    <message>
        <source>The connection to the sound server was lost (%1).</source>
        <translation>The connection to the sound server was lost (%1).</translation>
    </message>
    <message>
        <source>The microphone went away (%1).</source>
        <translation>The microphone went away (%1).</translation>
    </message>
    <message>
        <source>The sound sample format %1 is not supported.</source>
        <translation>The sound sample format %1 is not supported.</translation>
    </message>
    <message>
        <source>The sound format (%1 Hz, %2 channels) is not supported.</source>
        <translation>The sound format (%1 Hz, %2 channels) is not supported.</translation>
    </message>
    <message>
        <source>The computer's sound cannot be recorded: %1. Record the microphone instead, or record without sound.</source>
        <translation>The computer's sound cannot be recorded: %1. Record the microphone instead, or record without sound.</translation>
    </message>
    <message>
        <source>The computer's sound went away (%1).</source>
        <translation>The computer's sound went away (%1).</translation>
    </message>
</context>
<context>
    <name>SoundSourceMenu</name>
    <message>
        <source>Microphone</source>
        <translation>Microphone</translation>
    </message>
    <message>
        <source>Computer sound</source>
        <translation>Computer sound</translation>
    </message>
    <message>
        <source>Both</source>
        <translation>Both</translation>
    </message>
</context>
<context>
    <name>HistoryManager</name>
    <message>
        <source>The upload history could not be written to %1. Check that the folder exists and that you may write to it.</source>
        <translation>The upload history could not be written to %1. Check that the folder exists and that you may write to it.</translation>
    </message>
</context>
<context>
    <name>SaveRecordingFlow</name>
    <message>
        <source>MP4 video (*.mp4)</source>
        <translation>MP4 video (*.mp4)</translation>
    </message>
    <message>
        <source>%1 already exists. Do you want to replace it?</source>
        <translation>%1 already exists. Do you want to replace it?</translation>
    </message>
    <message>
        <source>The recording was saved as %1.</source>
        <translation>The recording was saved as %1.</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>Can not open the folder %1.</source>
        <translation>Can not open the folder %1.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Can not save file</source>
        <translation>Can not save file</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>ScreenSharing</name>
    <message>
        <source>Cannot use the screen-sharing connection (%1). Open the capture again.</source>
        <translation>Cannot use the screen-sharing connection (%1). Open the capture again.</translation>
    </message>
    <message>
        <source>The desktop shared no monitor this program can show. Try again, and choose a whole monitor.</source>
        <translation>The desktop shared no monitor this program can show. Try again, and choose a whole monitor.</translation>
    </message>
    <message>
        <source>The screen is no longer shared with this program. Open the capture again and let the desktop share it.</source>
        <translation>The screen is no longer shared with this program. Open the capture again and let the desktop share it.</translation>
    </message>
    <message>
        <source>This desktop offers no screen sharing to programs (%1). Install xdg-desktop-portal and the portal package for your desktop, then try again.</source>
        <translation>This desktop offers no screen sharing to programs (%1). Install xdg-desktop-portal and the portal package for your desktop, then try again.</translation>
    </message>
    <message>
        <source>it cannot share whole monitors</source>
        <translation>it cannot share whole monitors</translation>
    </message>
    <message>
        <source>The desktop's screen sharing made no session. Try again.</source>
        <translation>The desktop's screen sharing made no session. Try again.</translation>
    </message>
    <message>
        <source>The desktop shared no monitor. Try again.</source>
        <translation>The desktop shared no monitor. Try again.</translation>
    </message>
    <message>
        <source>The desktop's screen sharing gave no connection to the screen. Try again.</source>
        <translation>The desktop's screen sharing gave no connection to the screen. Try again.</translation>
    </message>
    <message>
        <source>no session bus</source>
        <translation>no session bus</translation>
    </message>
    <message>
        <source>Screen sharing was cancelled, so there is nothing to record.</source>
        <translation>Screen sharing was cancelled, so there is nothing to record.</translation>
    </message>
    <message>
        <source>The desktop did not share the screen. Try again, and allow sharing when the desktop asks.</source>
        <translation>The desktop did not share the screen. Try again, and allow sharing when the desktop asks.</translation>
    </message>
    <message>
        <source>The desktop's screen sharing failed (%1). Try again.</source>
        <translation>The desktop's screen sharing failed (%1). Try again.</translation>
    </message>
    <message>
        <source>The desktop ended screen sharing before it began. Try again.</source>
        <translation>The desktop ended screen sharing before it began. Try again.</translation>
    </message>
</context>
<context>
    <name>TrayRecording</name>
    <message>
        <source>Recording paused. Click to stop it.</source>
        <translation>Recording paused. Click to stop it.</translation>
    </message>
    <message>
        <source>Recording. Click to stop it.</source>
        <translation>Recording. Click to stop it.</translation>
    </message>
</context>
<context>
    <name>GlobalShortcuts</name>
    <message>
        <source>Choose them again under "Keyboard shortcuts..." in the tray menu, or bind clipnest --capture and clipnest --stop in the desktop's keyboard settings.</source>
        <translation>Choose them again under "Keyboard shortcuts..." in the tray menu, or bind clipnest --capture and clipnest --stop in the desktop's keyboard settings.</translation>
    </message>
    <message>
        <source>The desktop made no place for the program's key combinations. %1</source>
        <translation>The desktop made no place for the program's key combinations. %1</translation>
    </message>
    <message>
        <source>The desktop's question about key combinations was closed, so none are bound. %1</source>
        <translation>The desktop's question about key combinations was closed, so none are bound. %1</translation>
    </message>
    <message>
        <source>The desktop did not bind the key combinations. %1</source>
        <translation>The desktop did not bind the key combinations. %1</translation>
    </message>
    <message>
        <source>The desktop's key combinations cannot be reached. %1</source>
        <translation>The desktop's key combinations cannot be reached. %1</translation>
    </message>
    <message>
        <source>The desktop's key combinations failed (%1: %2). %3</source>
        <translation>The desktop's key combinations failed (%1: %2). %3</translation>
    </message>
    <message>
        <source>Start a Clipnest capture</source>
        <translation>Start a Clipnest capture</translation>
    </message>
    <message>
        <source>Stop the Clipnest recording</source>
        <translation>Stop the Clipnest recording</translation>
    </message>
</context>
<context>
    <name>WebAddress</name>
    <message>
        <source>No web browser could be started to open this address:
%1

Copy it and paste it into a browser.</source>
        <translation>No web browser could be started to open this address:
%1

Copy it and paste it into a browser.</translation>
    </message>
    <message>
        <source>Copy address</source>
        <translation>Copy address</translation>
    </message>
</context>
<context>
    <name>SystemError</name>
    <message>
        <source>%1 (details: %2)</source>
        <translation>%1 (details: %2)</translation>
    </message>
    <message>
        <source>the file or folder does not exist</source>
        <translation>the file or folder does not exist</translation>
    </message>
    <message>
        <source>a part of the path is not a folder</source>
        <translation>a part of the path is not a folder</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>the disk can only be read</source>
        <translation>the disk can only be read</translation>
    </message>
    <message>
        <source>that is a folder</source>
        <translation>that is a folder</translation>
    </message>
    <message>
        <source>it already exists</source>
        <translation>it already exists</translation>
    </message>
    <message>
        <source>the name is too long</source>
        <translation>the name is too long</translation>
    </message>
    <message>
        <source>too many files are open</source>
        <translation>too many files are open</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>the disk could not be read or written</source>
        <translation>the disk could not be read or written</translation>
    </message>
    <message>
        <source>it is in use</source>
        <translation>it is in use</translation>
    </message>
    <message>
        <source>it is on another disk</source>
        <translation>it is on another disk</translation>
    </message>
    <message>
        <source>the folder is not empty</source>
        <translation>the folder is not empty</translation>
    </message>
    <message>
        <source>the file is too large</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <source>the path goes round in a circle of links</source>
        <translation>the path goes round in a circle of links</translation>
    </message>
    <message>
        <source>it took too long</source>
        <translation>it took too long</translation>
    </message>
    <message>
        <source>the connection was refused</source>
        <translation>the connection was refused</translation>
    </message>
    <message>
        <source>it is busy for now</source>
        <translation>it is busy for now</translation>
    </message>
    <message>
        <source>a value was not accepted</source>
        <translation>a value was not accepted</translation>
    </message>
    <message>
        <source>the system refused (error %1)</source>
        <translation>the system refused (error %1)</translation>
    </message>
    <message>
        <source>the file could not be read</source>
        <translation>the file could not be read</translation>
    </message>
    <message>
        <source>the file could not be written</source>
        <translation>the file could not be written</translation>
    </message>
    <message>
        <source>the system ran out of room (disk space, memory or open files)</source>
        <translation>the system ran out of room (disk space, memory or open files)</translation>
    </message>
    <message>
        <source>the file could not be removed</source>
        <translation>the file could not be removed</translation>
    </message>
    <message>
        <source>the file could not be renamed</source>
        <translation>the file could not be renamed</translation>
    </message>
    <message>
        <source>the operation was cancelled</source>
        <translation>the operation was cancelled</translation>
    </message>
    <message>
        <source>the file could not be opened</source>
        <translation>the file could not be opened</translation>
    </message>
</context>
<context>
    <name>KeptSpaceGuard</name>
    <message>
        <source>Space for recordings</source>
        <translation>Space for recordings</translation>
    </message>
    <message>
        <source>Kept recordings take more than the %1 you allow. Deleting the oldest uploaded ones that were never saved elsewhere (%2 in all, %3) would make room. Delete them from this computer? Their links stay in the history and the videos stay on the service.</source>
        <translation>Kept recordings take more than the %1 you allow. Deleting the oldest uploaded ones that were never saved elsewhere (%2 in all, %3) would make room. Delete them from this computer? Their links stay in the history and the videos stay on the service.</translation>
    </message>
</context>
<context>
    <name>ConnectionCheck</name>
    <message>
        <source>It answered: %1</source>
        <translation>It answered: %1</translation>
    </message>
    <message>
        <source>%1 is reachable and accepts uploads.</source>
        <translation>%1 is reachable and accepts uploads.</translation>
    </message>
    <message>
        <source>%1 answers, but it is not an upload service.</source>
        <translation>%1 answers, but it is not an upload service.</translation>
    </message>
    <message>
        <source>%1 refused the token.</source>
        <translation>%1 refused the token.</translation>
    </message>
    <message>
        <source>%1 needs a token.</source>
        <translation>%1 needs a token.</translation>
    </message>
    <message>
        <source>%1 answers, but it is not an upload service (status %2).</source>
        <translation>%1 answers, but it is not an upload service (status %2).</translation>
    </message>
    <message>
        <source>%1 points to another address (status %2): put the service's own address here.</source>
        <translation>%1 points to another address (status %2): put the service's own address here.</translation>
    </message>
    <message>
        <source>%1 is reachable but has a problem now (status %2).</source>
        <translation>%1 is reachable but has a problem now (status %2).</translation>
    </message>
    <message>
        <source>%1 refused the upload (status %2).</source>
        <translation>%1 refused the upload (status %2).</translation>
    </message>
    <message>
        <source>no answer within %1 seconds</source>
        <translation>no answer within %1 seconds</translation>
    </message>
    <message>
        <source>Cannot connect to %1: %2</source>
        <translation>Cannot connect to %1: %2</translation>
    </message>
    <message>
        <source>"%1" is no service address: write host:port, or an http:// or https:// address.</source>
        <translation>"%1" is no service address: write host:port, or an http:// or https:// address.</translation>
    </message>
    <message>
        <source>A token has only letters, digits and visible punctuation, without spaces.</source>
        <translation>A token has only letters, digits and visible punctuation, without spaces.</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Clipnest settings</source>
        <translation>Clipnest settings</translation>
    </message>
    <message>
        <source>Upload service</source>
        <translation>Upload service</translation>
    </message>
    <message>
        <source>Service address:</source>
        <translation>Service address:</translation>
    </message>
    <message>
        <source>Token:</source>
        <translation>Token:</translation>
    </message>
    <message>
        <source>Test connection</source>
        <translation>Test connection</translation>
    </message>
    <message>
        <source>Upload while recording</source>
        <translation>Upload while recording</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>Record with sound from:</source>
        <translation>Record with sound from:</translation>
    </message>
    <message>
        <source>Microphone</source>
        <translation>Microphone</translation>
    </message>
    <message>
        <source>Computer sound</source>
        <translation>Computer sound</translation>
    </message>
    <message>
        <source>Both</source>
        <translation>Both</translation>
    </message>
    <message>
        <source>Microphone level:</source>
        <translation>Microphone level:</translation>
    </message>
    <message>
        <source>Computer sound level:</source>
        <translation>Computer sound level:</translation>
    </message>
    <message>
        <source>Recordings</source>
        <translation>Recordings</translation>
    </message>
    <message>
        <source>Save recordings in:</source>
        <translation>Save recordings in:</translation>
    </message>
    <message>
        <source>Choose...</source>
        <translation>Choose...</translation>
    </message>
    <message>
        <source>Recording and controls</source>
        <translation>Recording and controls</translation>
    </message>
    <message>
        <source>Show the record button</source>
        <translation>Show the record button</translation>
    </message>
    <message>
        <source>Start a capture:</source>
        <translation>Start a capture:</translation>
    </message>
    <message>
        <source>Stop the recording:</source>
        <translation>Stop the recording:</translation>
    </message>
    <message>
        <source>Change shortcuts...</source>
        <translation>Change shortcuts...</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Testing the connection...</source>
        <translation>Testing the connection...</translation>
    </message>
    <message>
        <source>%1 is not a folder. Recordings are still saved in %2.</source>
        <translation>%1 is not a folder. Recordings are still saved in %2.</translation>
    </message>
    <message>
        <source>Save recordings in</source>
        <translation>Save recordings in</translation>
    </message>
    <message>
        <source>Kept recordings may take (MiB, 0: no limit):</source>
        <translation>Kept recordings may take (MiB, 0: no limit):</translation>
    </message>
    <message>
        <source>Countdown (seconds, 0: off):</source>
        <translation>Countdown (seconds, 0: off):</translation>
    </message>
</context>
<context>
    <name>FirstRunHint</name>
    <message>
        <source>Welcome to Clipnest</source>
        <translation>Welcome to Clipnest</translation>
    </message>
    <message>
        <source>Clipnest lives in the system tray: its icon opens the menu, with Settings and the record button's switch.</source>
        <translation>Clipnest lives in the system tray: its icon opens the menu, with Settings and the record button's switch.</translation>
    </message>
    <message>
        <source>There is no system tray here, so Clipnest lives in the record button at the edge of the screen.</source>
        <translation>There is no system tray here, so Clipnest lives in the record button at the edge of the screen.</translation>
    </message>
    <message>
        <source>No key combination starts a capture; you can choose one in Settings. Click the record button to select an area.</source>
        <translation>No key combination starts a capture; you can choose one in Settings. Click the record button to select an area.</translation>
    </message>
    <message>
        <source>Click the record button or press %1 to select an area.</source>
        <translation>Click the record button or press %1 to select an area.</translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation>Settings...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TusClient</name>
    <message>
        <source>The upload service at %1 gave an answer the program can not use: %2. Ask the service's operator to check it.</source>
        <translation>The upload service at %1 gave an answer the program can not use: %2. Ask the service's operator to check it.</translation>
    </message>
    <message>
        <source>no upload address on the service's own host</source>
        <translation>no upload address on the service's own host</translation>
    </message>
    <message>
        <source>no valid upload length</source>
        <translation>no valid upload length</translation>
    </message>
    <message>
        <source>an upload offset outside the video</source>
        <translation>an upload offset outside the video</translation>
    </message>
    <message>
        <source>an upload offset outside the bytes sent</source>
        <translation>an upload offset outside the bytes sent</translation>
    </message>
</context>
<context>
    <name>TusUpload</name>
    <message>
        <source>Can not read the recording: %1</source>
        <translation>Can not read the recording: %1</translation>
    </message>
</context>
<context>
    <name>FileUploadSource</name>
    <message>
        <source>the file became shorter</source>
        <translation>the file became shorter</translation>
    </message>
</context>
</TS>
