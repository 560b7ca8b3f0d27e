// The pictures are compiled in as Qt resources under ":/bilder/".
