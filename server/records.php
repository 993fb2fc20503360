<?php
// What the service knows about each video besides its bytes: its state (arriving, being
// processed, ready, failed), the hash of its deletion secret, when it expires, and what the
// share page shows. One small JSON file a video in <storage>/meta/; resumable uploads keep their
// bytes in <storage>/tus/ until complete, posters live in <storage>/posters/.
declare(strict_types=1);

require_once __DIR__ . '/lib.php';

// Upload ids: 128 random bits in lowercase hex, the same as the stored video's name.
const CLIPNEST_ID_PATTERN = '/^[0-9a-f]{32}$/D';
// Deletion secrets: 128 random bits in lowercase hex, kept only as their SHA-256.
const CLIPNEST_SECRET_PATTERN = '/^[0-9a-f]{32}$/D';

// An unfinished resumable upload that gets no byte for this long is dropped (tus's
// "expiration"): long enough for a laptop closed overnight to resume in the morning, short
// enough that abandoned halves do not hold the storage cap for days.
// CLIPNEST_UNFINISHED_HOURS changes it.
const CLIPNEST_DEFAULT_UNFINISHED_HOURS = 24;

// A video "being processed" this long after its last byte belongs to a worker that died: the
// remux of the largest video takes well under php-fpm's request_terminate_timeout (600 s).
const CLIPNEST_STUCK_PROCESSING = 3600;

function clipnest_unfinished_seconds(): int
{
    return 3600 * clipnest_bytes_setting('CLIPNEST_UNFINISHED_HOURS', CLIPNEST_DEFAULT_UNFINISHED_HOURS);
}

// Days after its upload a video is removed; 0 keeps videos until they are deleted.
function clipnest_expire_days(): int
{
    $value = getenv('CLIPNEST_EXPIRE_DAYS');
    return ($value !== false && preg_match('/^[1-9][0-9]{0,4}$/D', $value)) ? (int)$value : 0;
}

// A folder below the storage folder, made on first use.
function clipnest_subdir(string $storage, string $name): string
{
    $dir = $storage . '/' . $name;
    if (!is_dir($dir) && !@mkdir($dir, 0755) && !is_dir($dir)) {
        throw new HttpError(500, 'The service cannot create its storage folder.');
    }
    return $dir;
}

function clipnest_record_path(string $storage, string $id): string
{
    return clipnest_subdir($storage, 'meta') . '/' . $id . '.json';
}

function clipnest_part_path(string $storage, string $id): string
{
    return clipnest_subdir($storage, 'tus') . '/' . $id . '.part';
}

function clipnest_poster_path(string $storage, string $id): string
{
    return clipnest_subdir($storage, 'posters') . '/' . $id . '.jpg';
}

// The record of upload $id, or null when there is none (or $id is not one of ours: then the
// file system is not touched at all).
function clipnest_load_record(string $storage, string $id): ?array
{
    if (!preg_match(CLIPNEST_ID_PATTERN, $id)) {
        return null;
    }
    $path = clipnest_record_path($storage, $id);
    if (!is_file($path) || is_link($path)) {
        return null;
    }
    $record = json_decode((string)@file_get_contents($path), true);
    return is_array($record) ? $record : null;
}

// Written whole to a temporary name and renamed, so a reader sees the old or the new record,
// never half of one.
function clipnest_save_record(string $storage, string $id, array $record): void
{
    $path = clipnest_record_path($storage, $id);
    $temp = $path . '.' . bin2hex(random_bytes(4)) . '.tmp';
    $json = json_encode($record, JSON_UNESCAPED_SLASHES | JSON_INVALID_UTF8_SUBSTITUTE);
    if ($json === false || @file_put_contents($temp, $json) !== strlen($json) || !@rename($temp, $path)) {
        @unlink($temp);
        throw new HttpError(507, 'The service has no room to store the video.');
    }
}

// A fresh record and the deletion secret that goes with it (only its hash is kept).
// $meta: what the uploader said about the video (filename, width, height), all optional.
function clipnest_new_record(string $kind, ?int $length, array $meta): array
{
    $secret = bin2hex(random_bytes(16));
    $now = time();
    $days = clipnest_expire_days();
    $record = [
        'kind' => $kind,
        'state' => $kind === 'tus' ? 'receiving' : 'processing',
        'length' => $length,
        'created' => $now,
        'updated' => $now,
        'expires' => $days > 0 ? $now + 86400 * $days : null,
        'delete_hash' => hash('sha256', $secret),
        'filename' => $meta['filename'] ?? null,
        'width' => $meta['width'] ?? null,
        'height' => $meta['height'] ?? null,
    ];
    return [$record, $secret];
}

// When an unfinished resumable upload is dropped unless more bytes come: the last byte's time
// (the part file's mtime) plus the allowed pause.
function clipnest_upload_expires(string $storage, string $id, array $record): int
{
    $path = clipnest_part_path($storage, $id);
    clearstatcache(true, $path);
    $mtime = @filemtime($path);
    return max($record['updated'] ?? 0, $mtime === false ? 0 : $mtime) + clipnest_unfinished_seconds();
}

// "gone" when the video expired or its unfinished upload was abandoned; otherwise its state.
function clipnest_effective_state(string $storage, string $id, array $record): string
{
    $state = (string)($record['state'] ?? 'gone');
    $now = time();
    if ($state === 'gone' || (isset($record['expires']) && $now >= (int)$record['expires'])) {
        return 'gone';
    }
    if ($state === 'receiving' && $now >= clipnest_upload_expires($storage, $id, $record)) {
        return 'gone';
    }
    if ($state === 'processing' && $now - (int)$record['updated'] > CLIPNEST_STUCK_PROCESSING) {
        // A multipart video was stored whole before its poster was started: it stays playable.
        return ($record['kind'] ?? '') === 'multipart' ? 'ready' : 'failed';
    }
    return $state;
}

// Removes every file of upload $id. With $tombstone the record stays as a small marker, so
// the video's addresses answer 410 Gone rather than 404.
function clipnest_remove_upload(string $storage, string $id, bool $tombstone): void
{
    $record = clipnest_load_record($storage, $id);
    foreach ([$storage . '/' . $id . '.mp4', clipnest_part_path($storage, $id),
                 clipnest_part_path($storage, $id) . '.remux.mp4', clipnest_poster_path($storage, $id)] as $path) {
        if (is_file($path) || is_link($path)) {
            @unlink($path);
        }
    }
    if ($tombstone && $record !== null) {
        clipnest_save_record($storage, $id, ['kind' => $record['kind'] ?? 'tus', 'state' => 'gone',
            'created' => $record['created'] ?? 0, 'updated' => time(),
            'upload_hash' => $record['upload_hash'] ?? null]);
    } else {
        @unlink(clipnest_record_path($storage, $id));
    }
}

// Brings the record of $id up to date with the clock: an expired video or an abandoned upload
// is removed (leaving a marker), a worker's abandoned processing is marked failed. Returns the
// record as it now is, or null when there is none.
function clipnest_current_record(string $storage, string $id): ?array
{
    $record = clipnest_load_record($storage, $id);
    if ($record === null) {
        return null;
    }
    $state = clipnest_effective_state($storage, $id, $record);
    if ($state === 'gone' && ($record['state'] ?? '') !== 'gone') {
        clipnest_remove_upload($storage, $id, true);
        return clipnest_load_record($storage, $id);
    }
    if ($state === 'ready' && ($record['state'] ?? '') !== 'ready') {
        $record['state'] = 'ready';
        clipnest_save_record($storage, $id, $record);
        return $record;
    }
    if ($state === 'failed' && ($record['state'] ?? '') !== 'failed') {
        clipnest_fail_upload($storage, $id, $record, 'The service stopped while processing the video.');
        return clipnest_load_record($storage, $id);
    }
    return $record;
}

// Marks an upload failed with a reason the page shows, and drops its bytes: a video that could
// not be made whole is never served in part.
function clipnest_fail_upload(string $storage, string $id, array $record, string $reason): void
{
    foreach ([$storage . '/' . $id . '.mp4', clipnest_part_path($storage, $id),
                 clipnest_part_path($storage, $id) . '.remux.mp4'] as $path) {
        if (is_file($path)) {
            @unlink($path);
        }
    }
    $record['state'] = 'failed';
    $record['error'] = $reason;
    $record['updated'] = time();
    clipnest_save_record($storage, $id, $record);
}

// Applies the clock to every record: expired videos and abandoned uploads go without a cron
// job, each time someone uploads (as half-received files always did).
function clipnest_sweep(string $storage): void
{
    clipnest_remove_orphans($storage);
    foreach (scandir(clipnest_subdir($storage, 'meta')) ?: [] as $entry) {
        if (preg_match('/^([0-9a-f]{32})\.json$/D', $entry, $m)) {
            clipnest_current_record($storage, $m[1]);
        } elseif (str_ends_with($entry, '.tmp')) {
            $path = $storage . '/meta/' . $entry;
            $mtime = @filemtime($path);
            if ($mtime !== false && $mtime < time() - CLIPNEST_ORPHAN_AGE) {
                @unlink($path);
            }
        }
    }
}

function clipnest_check_delete_secret(array $record, string $secret): bool
{
    return preg_match(CLIPNEST_SECRET_PATTERN, $secret) === 1 && isset($record['delete_hash'])
        && hash_equals((string)$record['delete_hash'], hash('sha256', $secret));
}

// Absolute URL of a path of this service, as the client addressed it.
function clipnest_url(string $path): string
{
    return clipnest_request_scheme() . '://' . clipnest_request_host() . clipnest_base_path() . $path;
}

function clipnest_page_url(string $id): string
{
    return clipnest_url('/v/' . $id);
}

function clipnest_embed_url(string $id): string
{
    return clipnest_url('/e/' . $id);
}

function clipnest_video_url(string $id): string
{
    return clipnest_url('/video.php/' . $id . '.mp4');
}

function clipnest_poster_url(string $id): string
{
    return clipnest_url('/poster.php/' . $id . '.jpg');
}

function clipnest_delete_url(string $id, string $secret): string
{
    return clipnest_url('/delete/' . $id . '/' . $secret);
}

// The headers that give the program the page's link, the deletion address and, where videos
// expire, the date; sent when the video is created, the only time the secret is known.
function clipnest_link_headers(string $id, string $secret, array $record): array
{
    $headers = ['Clipnest-Link: ' . clipnest_page_url($id), 'Clipnest-Delete: ' . clipnest_delete_url($id, $secret)];
    if (isset($record['expires'])) {
        $headers[] = 'Clipnest-Expires: ' . gmdate('Y-m-d\TH:i:s\Z', (int)$record['expires']);
    }
    return $headers;
}
