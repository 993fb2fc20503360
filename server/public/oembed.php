<?php
// oEmbed for the share pages: /oembed.php?url=<page address>&format=json answers a "video"
// with an iframe of the page's player, so chat programs that speak oEmbed embed it.
declare(strict_types=1);

require_once __DIR__ . '/../pages.php';

function clipnest_oembed_handle(): void
{
    $format = $_GET['format'] ?? 'json';
    if ($format !== 'json') {
        clipnest_plain(501, 'Only format=json is offered.');
        return;
    }
    $url = $_GET['url'] ?? '';
    $path = is_string($url) ? (string)parse_url($url, PHP_URL_PATH) : '';
    if (!preg_match('#^' . preg_quote(clipnest_base_path(), '#') . '/[ve]/([0-9a-f]{32})$#D', $path, $m)) {
        clipnest_not_found();
        return;
    }
    $id = $m[1];
    $record = clipnest_current_record(clipnest_storage(), $id);
    if ($record === null || $record['state'] === 'failed') {
        clipnest_not_found();
        return;
    }
    if ($record['state'] === 'gone') {
        clipnest_plain(410, 'This video has expired or was removed.');
        return;
    }
    // Room for the player when the size is not known yet.
    $width = (int)($record['width'] ?? 0) ?: 1280;
    $height = (int)($record['height'] ?? 0) ?: 720;
    $answer = [
        'version' => '1.0',
        'type' => 'video',
        'provider_name' => 'Clipnest',
        'title' => clipnest_video_title($record),
        'width' => $width,
        'height' => $height,
        'html' => '<iframe src="' . clipnest_h(clipnest_embed_url($id)) . '" width="' . $width . '" height="'
            . $height . '" frameborder="0" allowfullscreen></iframe>',
    ];
    if (isset($record['poster_width'])) {
        $answer['thumbnail_url'] = clipnest_poster_url($id);
        $answer['thumbnail_width'] = (int)$record['poster_width'];
        $answer['thumbnail_height'] = (int)$record['poster_height'];
    }
    header('Content-Type: application/json; charset=utf-8');
    header('X-Content-Type-Options: nosniff');
    header('Cache-Control: no-store');
    echo json_encode($answer, JSON_UNESCAPED_SLASHES | JSON_HEX_TAG | JSON_HEX_AMP | JSON_INVALID_UTF8_SUBSTITUTE), "\n";
}

try {
    clipnest_oembed_handle();
} catch (HttpError $e) {
    clipnest_plain($e->status, $e->getMessage(), $e->headers);
}
