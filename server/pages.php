<?php
// The HTML the service shows: the share page, its frame-able player, the deletion page and the
// small pages for missing and expired videos. No script at all: a page that waits for its video
// reloads itself with a meta refresh. Every value that may come from an uploader is escaped.
declare(strict_types=1);

require_once __DIR__ . '/records.php';

// How often a page waiting for its video reloads: soon enough that the viewer sees the video
// seconds after it is ready, rare enough that a forgotten tab costs nothing.
const CLIPNEST_REFRESH_SECONDS = 5;

// No scripts, nothing from elsewhere: media and images from this service, inline styles only.
const CLIPNEST_PAGE_POLICY = "default-src 'none'; media-src 'self'; img-src 'self'; style-src 'unsafe-inline'; "
    . "form-action 'self'; base-uri 'none'";

const CLIPNEST_STYLE = 'body{margin:0;background:#111;color:#eee;font:16px/1.4 sans-serif}'
    . 'main{max-width:1280px;margin:0 auto;padding:1em}video{width:100%;max-height:85vh;background:#000}'
    . 'h1{font-size:1.2em;font-weight:normal;word-break:break-all}a{color:#9cf}';

function clipnest_h(?string $text): string
{
    return htmlentities((string)$text, ENT_QUOTES | ENT_SUBSTITUTE | ENT_HTML401, 'UTF-8');
}

function clipnest_html_headers(int $status, bool $frameable = false): void
{
    http_response_code($status);
    header('Content-Type: text/html; charset=utf-8');
    header('X-Content-Type-Options: nosniff');
    header('Cache-Control: no-store');
    // Not "no-referrer": browsers then send "Origin: null" with the deletion form, which the
    // other-site rule refuses. Other sites still learn nothing of the (secret) address.
    header('Referrer-Policy: same-origin');
    header('Content-Security-Policy: ' . CLIPNEST_PAGE_POLICY . ($frameable ? '' : "; frame-ancestors 'self'"));
}

// A whole page: $head and $body are HTML already escaped by the caller.
function clipnest_html(int $status, string $title, string $body, string $head = '', bool $frameable = false): void
{
    clipnest_html_headers($status, $frameable);
    echo "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">",
        '<meta name="viewport" content="width=device-width, initial-scale=1">',
        '<meta name="robots" content="noindex">',
        '<title>', clipnest_h($title), '</title>', $head, '<style>', CLIPNEST_STYLE, "</style></head>\n",
        '<body><main>', $body, "</main></body></html>\n";
}

function clipnest_missing_page(): void
{
    clipnest_html(404, 'Not found', '<h1>There is no video at this address.</h1>');
}

function clipnest_gone_page(): void
{
    clipnest_html(410, 'Video removed', '<h1>This video has expired or was removed.</h1>');
}

function clipnest_video_title(array $record): string
{
    $name = $record['filename'] ?? null;
    return is_string($name) && $name !== '' ? $name : 'Screen recording';
}

// The preview tags chat programs read (Open Graph, Twitter's player card, oEmbed discovery).
function clipnest_preview_tags(string $id, array $record): string
{
    $tags = [
        ['property', 'og:type', 'video.other'],
        ['property', 'og:title', clipnest_video_title($record)],
        ['property', 'og:url', clipnest_page_url($id)],
        ['property', 'og:video', clipnest_video_url($id)],
    ];
    if (clipnest_request_scheme() === 'https') {
        $tags[] = ['property', 'og:video:secure_url', clipnest_video_url($id)];
    }
    $tags[] = ['property', 'og:video:type', 'video/mp4'];
    $width = (int)($record['width'] ?? 0);
    $height = (int)($record['height'] ?? 0);
    if ($width > 0 && $height > 0) {
        $tags[] = ['property', 'og:video:width', (string)$width];
        $tags[] = ['property', 'og:video:height', (string)$height];
    }
    if (isset($record['poster_width'])) {
        $tags[] = ['property', 'og:image', clipnest_poster_url($id)];
        $tags[] = ['property', 'og:image:width', (string)(int)$record['poster_width']];
        $tags[] = ['property', 'og:image:height', (string)(int)$record['poster_height']];
        $tags[] = ['name', 'twitter:image', clipnest_poster_url($id)];
    }
    $tags[] = ['name', 'twitter:card', 'player'];
    $tags[] = ['name', 'twitter:title', clipnest_video_title($record)];
    $tags[] = ['name', 'twitter:player', clipnest_embed_url($id)];
    if ($width > 0 && $height > 0) {
        $tags[] = ['name', 'twitter:player:width', (string)$width];
        $tags[] = ['name', 'twitter:player:height', (string)$height];
    }
    $html = '';
    foreach ($tags as [$attribute, $name, $content]) {
        $html .= '<meta ' . $attribute . '="' . clipnest_h($name) . '" content="' . clipnest_h($content) . '">';
    }
    $oembed = clipnest_url('/oembed.php?url=' . rawurlencode(clipnest_page_url($id)) . '&format=json');
    return $html . '<link rel="alternate" type="application/json+oembed" href="' . clipnest_h($oembed)
        . '" title="' . clipnest_h(clipnest_video_title($record)) . '">';
}

function clipnest_player(string $id, array $record): string
{
    $size = '';
    if (isset($record['width'], $record['height'])) {
        $size = ' width="' . (int)$record['width'] . '" height="' . (int)$record['height'] . '"';
    }
    $poster = isset($record['poster_width']) ? ' poster="' . clipnest_h(clipnest_poster_url($id)) . '"' : '';
    return '<video controls playsinline preload="metadata"' . $size . $poster . ' src="'
        . clipnest_h(clipnest_video_url($id)) . '"></video>';
}

// The share page (/v/<id>) or, with $embed, just its player for other sites' frames (/e/<id>).
function clipnest_share_page(string $id, array $record, bool $embed): void
{
    $state = (string)$record['state'];
    $title = clipnest_video_title($record);
    $tags = clipnest_preview_tags($id, $record);
    if ($state === 'receiving' || $state === 'processing') {
        $refresh = '<meta http-equiv="refresh" content="' . CLIPNEST_REFRESH_SECONDS . '">';
        $message = $state === 'receiving'
            ? 'This video is still arriving. This page reloads itself until it is here.'
            : 'This video is still processing. This page reloads itself until it is ready.';
        clipnest_html(200, $title, '<h1>' . clipnest_h($title) . '</h1><p id="state" data-state="' . $state . '">'
            . clipnest_h($message) . '</p>', $refresh . $tags, $embed);
        return;
    }
    if ($state === 'failed') {
        clipnest_html(200, $title, '<h1>' . clipnest_h($title) . '</h1><p id="state" data-state="failed">'
            . 'This video could not be published: ' . clipnest_h((string)($record['error'] ?? '')) . '</p>', '', $embed);
        return;
    }
    if ($embed) {
        clipnest_html_headers(200, true);
        echo "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>", clipnest_h($title),
            '</title><style>html,body{margin:0;height:100%;background:#000}video{width:100%;height:100%}</style>',
            '</head><body>', clipnest_player($id, $record), "</body></html>\n";
        return;
    }
    clipnest_html(200, $title, '<h1>' . clipnest_h($title) . '</h1>' . clipnest_player($id, $record)
        . '<p><a href="' . clipnest_h(clipnest_video_url($id)) . '" download>Download the video</a></p>', $tags);
}
