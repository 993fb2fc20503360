<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CommandLine</name>
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
    <name>CropCtrl</name>
    <message>
        <source>Can not save file</source>
        <translation>Can not save file</translation>
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
        <source>Save</source>
        <translation>Save</translation>
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
        <source>Upload video to server</source>
        <translation>Upload video to server</translation>
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
</context>
<context>
    <name>HistoryWidget</name>
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
    <name>HttpUploader</name>
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
</context>
<context>
    <name>RecordingSaver</name>
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
        <source>Video link copied to clipboard</source>
        <translation>Video link copied to clipboard</translation>
    </message>
</context>
</TS>
