<?php
// Turning received bytes into a video the share page can show: the remux of a fragmented
// recording into an ordinary seekable MP4, its size and duration, and a poster frame. Uses
// Debian's ffmpeg and ffprobe (CLIPNEST_FFMPEG / CLIPNEST_FFPROBE name others).
declare(strict_types=1);

require_once __DIR__ . '/records.php';

// Posters are for chat previews and the player's first look: no wider than this, so a 4K
// recording does not make a multi-megabyte preview image.
const CLIPNEST_POSTER_MAX_WIDTH = 1280;

function clipnest_tool(string $name): string
{
    $path = getenv('CLIPNEST_' . strtoupper($name));
    return ($path !== false && $path !== '') ? $path : '/usr/bin/' . $name;
}

// Runs a program without a shell; returns its exit status and what it wrote on stdout. Its
// stderr goes to the php-fpm log only when it fails.
function clipnest_run(array $argv, ?string &$output = null): int
{
    $err = tmpfile();
    $process = @proc_open($argv, [0 => ['file', '/dev/null', 'r'], 1 => ['pipe', 'w'], 2 => $err], $pipes);
    if (!is_resource($process)) {
        error_log('cannot start ' . $argv[0]);
        return -1;
    }
    $output = (string)stream_get_contents($pipes[1]);
    fclose($pipes[1]);
    $status = proc_close($process);
    if ($status !== 0) {
        fseek($err, 0);
        error_log(basename($argv[0]) . " ended with $status: " . substr((string)stream_get_contents($err), -2000));
    }
    fclose($err);
    return $status;
}

// Width, height and duration (seconds) of the first video stream, or null when the file is
// not a video ffprobe can read.
function clipnest_probe(string $path): ?array
{
    $status = clipnest_run([clipnest_tool('ffprobe'), '-v', 'error', '-select_streams', 'v:0',
        '-show_entries', 'stream=width,height:format=duration', '-of', 'json', $path], $out);
    $info = json_decode((string)$out, true);
    if ($status !== 0 || !is_array($info)) {
        return null;
    }
    $stream = $info['streams'][0] ?? null;
    $width = (int)($stream['width'] ?? 0);
    $height = (int)($stream['height'] ?? 0);
    if ($width <= 0 || $height <= 0) {
        return null;
    }
    $duration = (float)($info['format']['duration'] ?? 0);
    return ['width' => $width, 'height' => $height, 'duration' => $duration > 0 ? $duration : null];
}

// Writes a JPEG of a frame near the start into the poster folder. Returns its width and height
// or null. The size is worked out here so the page can name it without reading the image.
function clipnest_make_poster(string $storage, string $id, string $video, array $info): ?array
{
    $width = min(CLIPNEST_POSTER_MAX_WIDTH, $info['width'] - $info['width'] % 2);
    $height = (int)(2 * round($info['height'] * $width / $info['width'] / 2));
    if ($width < 2 || $height < 2) {
        return null;
    }
    // A second in, past a first frame that is often the desktop before the window moved;
    // the very start for clips shorter than that.
    $at = ($info['duration'] ?? 0) > 2 ? 1.0 : 0.0;
    $poster = clipnest_poster_path($storage, $id);
    $temp = $poster . '.tmp';
    $status = clipnest_run([clipnest_tool('ffmpeg'), '-nostdin', '-loglevel', 'error', '-y', '-ss', (string)$at,
        '-i', $video, '-frames:v', '1', '-vf', "scale=$width:$height", '-q:v', '3', '-f', 'image2',
        '-update', '1', $temp]);
    if ($status !== 0 || !is_file($temp) || !@rename($temp, $poster)) {
        @unlink($temp);
        return null;
    }
    return [$width, $height];
}

// Learns what the page needs about a stored video (size, duration, poster) and marks it ready.
function clipnest_describe(string $storage, string $id, array $record, string $video, ?array $info): void
{
    if ($info !== null) {
        $record['width'] = $info['width'];
        $record['height'] = $info['height'];
        $record['duration'] = $info['duration'];
        $poster = clipnest_make_poster($storage, $id, $video, $info);
        if ($poster !== null) {
            [$record['poster_width'], $record['poster_height']] = $poster;
        }
    }
    $record['state'] = 'ready';
    $record['updated'] = time();
    clipnest_save_record($storage, $id, $record);
}

// The last step of a resumable upload, run once its last byte is stored (after the answer to
// that PATCH has gone): checks it is an MP4, rewrites the fragmented recording as an ordinary
// MP4 with its index first (so browsers play it at once and seek anywhere), and publishes it
// under its final name only when all of that worked.
function clipnest_finish_tus(string $storage, string $id, array $record): void
{
    $part = clipnest_part_path($storage, $id);
    $remuxed = $part . '.remux.mp4';
    if (!clipnest_is_mp4($part)) {
        clipnest_fail_upload($storage, $id, $record, 'The file is not an MP4 video.');
        return;
    }
    // Stream copy: no quality lost and seconds even for an hour of video.
    $status = clipnest_run([clipnest_tool('ffmpeg'), '-nostdin', '-loglevel', 'error', '-y', '-i', $part,
        '-map', '0:v', '-map', '0:a?', '-c', 'copy', '-movflags', '+faststart', '-f', 'mp4', $remuxed]);
    $info = $status === 0 ? clipnest_probe($remuxed) : null;
    if ($info === null) {
        clipnest_fail_upload($storage, $id, $record, 'The video could not be read: it may be damaged or incomplete.');
        return;
    }
    @chmod($remuxed, 0644);
    $lock = @fopen($storage . '/.lock', 'c');
    if ($lock === false || !flock($lock, LOCK_EX)) {
        clipnest_fail_upload($storage, $id, $record, 'The service could not store the video.');
        return;
    }
    try {
        // The part still counts until it is removed; the remuxed copy replaces it.
        $size = (int)filesize($remuxed);
        $others = clipnest_stored_bytes($storage) - (int)@filesize($part);
        if ($others + $size > clipnest_max_storage()) {
            clipnest_fail_upload($storage, $id, $record, 'The service has no room left for this video.');
            return;
        }
        if (!@rename($remuxed, $storage . '/' . $id . '.mp4')) {
            clipnest_fail_upload($storage, $id, $record, 'The service could not store the video.');
            return;
        }
        @unlink($part);
    } finally {
        flock($lock, LOCK_UN);
        fclose($lock);
    }
    clipnest_describe($storage, $id, $record, $storage . '/' . $id . '.mp4', $info);
}
