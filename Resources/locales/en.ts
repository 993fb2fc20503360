<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
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
    <name>MainWindow</name>
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
        <source>Service temporarily not working. Please try again later</source>
        <translation>Service temporarily not working. Please try again later</translation>
    </message>
    <message>
        <source>Show/hide record button</source>
        <translation>Show/hide record button</translation>
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
<context>
    <name>ProgressWidget</name>
    <message>
        <source>Loading, please wait...</source>
        <translation>Loading, please wait...</translation>
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
</TS>
